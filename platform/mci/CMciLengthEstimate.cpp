#include "platform/mci/CMciLengthEstimate.h"

#include "media/MpegFileInfo.h"

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
    } else if (m_bDeviceKnew && deviceLengthMs > 0) {
        best = deviceLengthMs;
    } else {
        Track(deviceLengthMs);
        if (m_nAcceptedMs > 0) {
            best = m_nAcceptedMs;
        } else if (m_nEstimateMs > 0) {
            best = m_nEstimateMs;
        } else {
            best = deviceLengthMs;
        }
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
    const int kbps = info.header.BitrateKbps();
    if (kbps <= 0) {
        return -1;
    }
    // kbit/s is bits per millisecond.
    return std::max<std::int64_t>(info.AudioSize() * 8 / kbps, 1);
}
