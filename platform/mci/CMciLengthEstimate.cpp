#include "platform/mci/CMciLengthEstimate.h"

#include "media/MpegFileInfo.h"
#include "media/MpegFrameCounter.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

CMciLengthEstimate::CMciLengthEstimate(std::shared_ptr<const IMciClock> clock)
    : m_pClock(std::move(clock)) {}

void CMciLengthEstimate::Start(std::int64_t estimateMs, std::int64_t deviceLengthMs) {
    m_nEstimateMs = estimateMs;
    m_bDeviceKnew = deviceLengthMs > 0;
    m_nCandidateMs = -1;
    m_nCandidateSinceMs = 0;
    m_nAcceptedMs = m_bDeviceKnew ? deviceLengthMs : -1;
    m_nEndMs = -1;
}

std::int64_t CMciLengthEstimate::Answer(std::int64_t deviceLengthMs, std::int64_t positionMs,
                                        bool reachedEnd) {
    if (reachedEnd && m_nEndMs <= 0) {
        // At the end the parser has read everything: its length is exact, and so is the
        // position where the stream stopped.
        m_nEndMs = positionMs > 0 ? positionMs : deviceLengthMs;
    }
    std::int64_t best = -1;
    if (m_nEndMs > 0) {
        best = m_nEndMs;
    } else if (m_bDeviceKnew) {
        // A failed query falls back on the length known when the media became ready.
        best = deviceLengthMs > 0 ? deviceLengthMs : m_nAcceptedMs;
    } else if (m_nEstimateMs > 0) {
        // The frame reader's length is exact for constant rates, Xing files and counted
        // frames; GStreamer's late guess for such files drifts (a quiet intro of a VBR
        // file made it answer 6.1 s for 5.5 s), so it is not taken over the frames.
        best = m_nEstimateMs;
    } else {
        Track(deviceLengthMs);
        best = m_nAcceptedMs > 0 ? m_nAcceptedMs : deviceLengthMs;
    }
    // A song that plays on past the estimate is at least as long as its position.
    return std::max<std::int64_t>({best, positionMs, 1});
}

void CMciLengthEstimate::Track(std::int64_t deviceLengthMs) {
    if (deviceLengthMs <= 0) {
        return;
    }
    const std::int64_t now = m_pClock->NowMs();
    if (m_nCandidateMs <= 0 || std::llabs(deviceLengthMs - m_nCandidateMs) * 200 > m_nCandidateMs) {
        m_nCandidateMs = deviceLengthMs;
        m_nCandidateSinceMs = now;
        return;
    }
    if (now - m_nCandidateSinceMs >= kStableMs) {
        m_nAcceptedMs = deviceLengthMs;
    }
}

std::int64_t CMciLengthEstimate::FromFrames(const std::string& path) {
    MpegFileInfo info;
    if (info.Read(path) != MpegFileInfo::kRead) {
        return -1;
    }
    const int rate = info.SamplingRate();
    if (info.isVbr && info.xingFrames > 0 && rate > 0) {
        const std::int64_t samples =
            static_cast<std::int64_t>(info.xingFrames) * info.header.SamplesPerFrame();
        return std::max<std::int64_t>(samples * 1000 / rate, 1);
    }
    // Without a frame count the frames themselves are counted when their rate varies;
    // a constant rate is answered from the audio size (kbit/s is bits per millisecond).
    return MpegFrameCounter::DurationMs(path, info);
}
