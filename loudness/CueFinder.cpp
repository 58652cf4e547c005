#include "loudness/CueFinder.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>

namespace CueFinder {

namespace {

// The two envelopes seen as one row of blocks numbered from the song's start, with a gap
// of unknown blocks between them in a long song.
class BlockRow {
public:
    explicit BlockRow(const LoudnessMeasurement& m) : m_m(m) {}

    std::int64_t HeadEnd() const { return static_cast<std::int64_t>(m_m.headMomentaryLufs.size()); }
    std::int64_t TailBegin() const { return std::max(m_m.nTailFirstBlock, HeadEnd()); }
    std::int64_t TailEnd() const {
        return m_m.nTailFirstBlock + static_cast<std::int64_t>(m_m.tailMomentaryLufs.size());
    }
    bool HasGap() const { return TailBegin() > HeadEnd() && TailEnd() > TailBegin(); }

    double Momentary(std::int64_t block) const {
        return block < HeadEnd() ? m_m.headMomentaryLufs[Index(block)]
                                 : m_m.tailMomentaryLufs[Index(block - m_m.nTailFirstBlock)];
    }
    double Peak(std::int64_t block) const {
        const auto& head = m_m.headPeakDbfs;
        const auto& tail = m_m.tailPeakDbfs;
        if (block < HeadEnd()) {
            return Index(block) < head.size() ? head[Index(block)] : 0.0;
        }
        const std::size_t index = Index(block - m_m.nTailFirstBlock);
        return index < tail.size() ? tail[index] : 0.0;
    }

    // The first known block that passes the test, scanning forwards.
    std::optional<std::int64_t> First(const std::function<bool(std::int64_t)>& test) const {
        for (std::int64_t b = 0; b < HeadEnd(); ++b) {
            if (test(b)) {
                return b;
            }
        }
        for (std::int64_t b = TailBegin(); b < TailEnd(); ++b) {
            if (test(b)) {
                return b;
            }
        }
        return std::nullopt;
    }
    // The last known block that passes the test, scanning backwards.
    std::optional<std::int64_t> Last(const std::function<bool(std::int64_t)>& test) const {
        for (std::int64_t b = TailEnd() - 1; b >= TailBegin(); --b) {
            if (test(b)) {
                return b;
            }
        }
        for (std::int64_t b = HeadEnd() - 1; b >= 0; --b) {
            if (test(b)) {
                return b;
            }
        }
        return std::nullopt;
    }

private:
    static std::size_t Index(std::int64_t block) { return static_cast<std::size_t>(block); }

    const LoudnessMeasurement& m_m;
};

double StartOf(std::int64_t block) {
    return static_cast<double>(block) * LoudnessMeasurement::kBlockSeconds;
}

} // namespace

CueTimes FindCueTimes(const LoudnessMeasurement& m) {
    const double duration = std::max(0.0, m.dDurationSeconds);
    const double integrated = m.dIntegratedLufs;
    CueTimes silent{0.0, duration, duration};
    if (!std::isfinite(integrated)) {
        return silent;
    }
    const BlockRow row(m);
    const double heard = std::max(integrated - kCueInBelowLu, kFloorLufs);
    const auto audible = [&](std::int64_t b) {
        return row.Momentary(b) > heard && row.Peak(b) > kFloorPeakDbfs;
    };
    const auto first = row.First(audible);
    const auto last = row.Last(audible);
    if (!first || !last) {
        return silent;
    }
    CueTimes times;
    // Music that starts (or ends) in the unmeasured middle of a long song is taken to
    // start where the head ends (end where the tail begins).
    const bool startsInGap = row.HasGap() && *first >= row.TailBegin();
    times.dCueInSeconds = startsInGap ? StartOf(row.HeadEnd()) : StartOf(*first) - kMarginSeconds;
    if (times.dCueInSeconds < kCueInSnapSeconds) {
        times.dCueInSeconds = 0.0;
    }
    const bool endsInGap = row.HasGap() && *last < row.HeadEnd();
    const double lastEnd = endsInGap ? StartOf(row.TailBegin()) : StartOf(*last + 1);
    times.dCueOutSeconds = std::min(duration, lastEnd + kMarginSeconds);

    const auto lastAbove = [&](double threshold) {
        return row.Last([&](std::int64_t b) { return row.Momentary(b) > threshold; });
    };
    auto next = lastAbove(integrated - kStartNextBelowLu);
    if (next && times.dCueOutSeconds - StartOf(*next) > kLongTailSeconds) {
        next = lastAbove(integrated - kLongTailBelowLu);
    }
    times.dStartNextSeconds = next ? StartOf(*next) : times.dCueOutSeconds;
    times.dStartNextSeconds =
        std::clamp(times.dStartNextSeconds, times.dCueInSeconds, times.dCueOutSeconds);
    return times;
}

SongCuePoints FitOverlap(const CueTimes& times, double mixSeconds) {
    const double longest = std::max(0.0, mixSeconds);
    const double shortest = std::min(kShortestOverlapSeconds, longest);
    const double overlap =
        std::clamp(times.dCueOutSeconds - times.dStartNextSeconds, shortest, longest);
    const double startNext = std::max(times.dCueInSeconds, times.dCueOutSeconds - overlap);
    const auto ms = [](double seconds) {
        return static_cast<std::int64_t>(std::llround(seconds * 1000.0));
    };
    SongCuePoints points;
    points.nCueInMs = ms(times.dCueInSeconds);
    points.nStartNextMs = ms(startNext);
    points.nCueOutMs = ms(times.dCueOutSeconds);
    return points;
}

} // namespace CueFinder
