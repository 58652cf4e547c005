#pragma once

#include "platform/mci/IMciClock.h"

#include <cstdint>
#include <memory>
#include <string>

// The length "status ... length" answers for the media of one open device.
//
// A device may not know the length when the media becomes ready (GStreamer answers
// nothing for MP2 and for VBR mp3 without a Xing header, then an estimate that drifts
// while it reads on). A length the device knew when the media became ready is taken as
// it is; otherwise the frame reader's length answers (exact for constant rates, Xing
// files and counted frames). Only media the frame reader cannot read take a length the
// device finds later, once it has held still for a while. When the media has played to
// its end, the end position is the length. The answer is never below the position and
// never 0.
class CMciLengthEstimate {
public:
    // How long a late device length must stay within 0.5 % before it is believed.
    static constexpr std::int64_t kStableMs = 1000;

    explicit CMciLengthEstimate(std::shared_ptr<const IMciClock> clock);

    // New media: the frame reader's estimate and the device's length when the media
    // became ready (either -1 when unknown).
    void Start(std::int64_t estimateMs, std::int64_t deviceLengthMs);
    // The length to answer now, from what the device says at this moment.
    std::int64_t Answer(std::int64_t deviceLengthMs, std::int64_t positionMs, bool reachedEnd);

    // The frame reader's estimate for a file in ms: frames x samples per frame / rate
    // for a Xing file, audio size x 8 / bit rate at a constant rate, the frames counted
    // when the rate varies; -1 when it finds no frame.
    static std::int64_t FromFrames(const std::string& path);

private:
    void Track(std::int64_t deviceLengthMs);

    std::shared_ptr<const IMciClock> m_pClock;
    std::int64_t m_nEstimateMs = -1;
    bool m_bDeviceKnew = false;
    std::int64_t m_nCandidateMs = -1;
    std::int64_t m_nCandidateSinceMs = 0;
    std::int64_t m_nAcceptedMs = -1;
    std::int64_t m_nEndMs = -1;
};
