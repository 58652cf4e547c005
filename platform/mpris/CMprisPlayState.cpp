#include "CMprisPlayState.h"

#include <algorithm>

void CMprisPlayState::NoteStart(TimePoint now) {
    m_startedAt = now;
}

void CMprisPlayState::NoteStop() {
    m_startedAt.reset();
}

bool CMprisPlayState::InGrace(TimePoint now) const {
    return m_startedAt && now - *m_startedAt < kStartGrace;
}

std::optional<CMprisPlayState::Mode> CMprisPlayState::FromStatus(std::string_view status,
                                                                 bool bHasTrack) {
    if (status == "Playing" && bHasTrack) {
        m_startedAt.reset(); // the start has shown
        return Mode::Playing;
    }
    if (status == "Paused") {
        m_startedAt.reset();
        return Mode::Paused;
    }
    return std::nullopt;
}

std::optional<CMprisPlayState::Mode> CMprisPlayState::FromPosition(TimePoint now,
                                                                   std::int64_t nPositionUs) {
    if (nPositionUs < 0) {
        m_sampledAt.reset();
        return Undecided(now);
    }
    const bool bComparable =
        m_sampledAt && now - *m_sampledAt <= kMaxSampleAge && nPositionUs >= m_nSampleUs;
    const bool bMoved = bComparable && nPositionUs > m_nSampleUs;
    if (!bComparable || bMoved) {
        m_stillSince = now;
    }
    m_sampledAt = now;
    m_nSampleUs = nPositionUs;
    if (!bComparable) {
        return std::nullopt;
    }
    if (bMoved) {
        m_startedAt.reset(); // the start has shown
        return Mode::Playing;
    }
    if (now - m_stillSince >= kStillLimit) {
        return Undecided(now);
    }
    return std::nullopt;
}

std::chrono::milliseconds CMprisPlayState::NextSampleIn(TimePoint now) const {
    if (m_sampledAt == m_stillSince) {
        return kMinSampleGap; // a first look, or the position just moved
    }
    const auto wait =
        std::chrono::duration_cast<std::chrono::milliseconds>(m_stillSince + kStillLimit - now);
    return std::clamp(wait, kMinSampleGap, std::chrono::milliseconds(kStillLimit));
}

CMprisPlayState::Mode CMprisPlayState::Undecided(TimePoint now) const {
    return InGrace(now) ? Mode::Playing : Mode::Stopped;
}
