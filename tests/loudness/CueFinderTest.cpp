#include "loudness/CueFinder.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <limits>

namespace {

constexpr double kSilence = -std::numeric_limits<double>::infinity();
constexpr double kI = -14.0; // the songs' integrated loudness

// Envelopes of a song of duration seconds whose momentary loudness at a block is
// level(time of the block's middle); its sample peak lies 10 dB above that.
LoudnessMeasurement Song(double duration, double integrated,
                         const std::function<double(double)>& level) {
    LoudnessMeasurement m;
    m.dDurationSeconds = duration;
    m.dIntegratedLufs = integrated;
    const auto blocks = static_cast<std::int64_t>(std::ceil(duration * 10.0 - 1e-9));
    const auto kept = static_cast<std::int64_t>(LoudnessMeasurement::kEnvelopeBlocks);
    const auto at = [&](std::int64_t b) { return level(static_cast<double>(b) / 10.0 + 0.05); };
    for (std::int64_t b = 0; b < std::min(blocks, kept); ++b) {
        m.headMomentaryLufs.push_back(static_cast<float>(at(b)));
        m.headPeakDbfs.push_back(static_cast<float>(at(b) + 10.0));
    }
    m.nTailFirstBlock = std::max<std::int64_t>(0, blocks - kept);
    for (std::int64_t b = m.nTailFirstBlock; b < blocks; ++b) {
        m.tailMomentaryLufs.push_back(static_cast<float>(at(b)));
        m.tailPeakDbfs.push_back(static_cast<float>(at(b) + 10.0));
    }
    return m;
}

struct CueCase {
    const char* name;
    LoudnessMeasurement song;
    CueTimes expected;
    // The start-next the player gets with "mixseconds" 5.
    double dFittedStartNext;
};

std::string CaseName(const ::testing::TestParamInfo<CueCase>& param) {
    std::string name = param.param.name;
    for (char& ch : name) {
        if (!std::isalnum(static_cast<unsigned char>(ch))) {
            ch = '_';
        }
    }
    return name;
}

class CueFinderTable : public ::testing::TestWithParam<CueCase> {};

TEST_P(CueFinderTable, FindsTheCuePointsAndFitsTheOverlap) {
    const CueCase& c = GetParam();
    const CueTimes found = CueFinder::FindCueTimes(c.song);
    EXPECT_NEAR(found.dCueInSeconds, c.expected.dCueInSeconds, 1e-6) << c.name;
    EXPECT_NEAR(found.dStartNextSeconds, c.expected.dStartNextSeconds, 1e-6) << c.name;
    EXPECT_NEAR(found.dCueOutSeconds, c.expected.dCueOutSeconds, 1e-6) << c.name;
    const SongCuePoints fitted = CueFinder::FitOverlap(found, 5.0);
    EXPECT_EQ(fitted.nCueInMs, std::llround(c.expected.dCueInSeconds * 1000)) << c.name;
    EXPECT_EQ(fitted.nStartNextMs, std::llround(c.dFittedStartNext * 1000)) << c.name;
    EXPECT_EQ(fitted.nCueOutMs, std::llround(c.expected.dCueOutSeconds * 1000)) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, CueFinderTable,
    ::testing::Values(
        // 2 s of nothing, a 10 s intro at -50 LUFS (36 LU under the song, above I - 42),
        // the song to 180 s and a cold end: the intro is kept whole.
        CueCase{"quiet intro",
                Song(181, kI,
                     [](double s) {
                         return s < 2 ? kSilence : s < 12 ? -50.0 : s < 180 ? kI : kSilence;
                     }),
                {1.9, 179.9, 180.1},
                179.6},
        // Full level to 170 s, then down 4 dB a second: next at -22 LUFS (172 s), out
        // under -56 LUFS (180.5 s); the 8.7 s overlap becomes 5 s.
        CueCase{"linear fade-out",
                Song(190, kI, [](double s) { return s < 170 ? kI : kI - 4.0 * (s - 170); }),
                {0.0, 171.9, 180.6},
                175.6},
        // 25 s of quiet applause (-38 LUFS) after the music: the -8 LU point lies more
        // than 15 s before the cue-out and the applause is under I - 20 too, so the next
        // song starts 5 s before the applause ends.
        CueCase{"applause tail",
                Song(226, kI, [](double s) { return s < 200   ? kI
                                                    : s < 225 ? -38.0
                                                              : kSilence; }),
                {0.0, 199.9, 225.1},
                220.1},
        // Full level to the last sample: the shortest overlap, 0.5 s.
        CueCase{"cold end",
                Song(152, kI, [](double s) { return s < 150 ? kI : kSilence; }),
                {0.0, 149.9, 150.1},
                149.6},
        // A song, 10 minutes of silence and a hidden track: the middle is not measured,
        // so the song plays to the hidden track's end.
        CueCase{"hidden track",
                Song(840, kI, [](double s) { return s < 180   ? kI
                                                    : s < 780 ? kSilence
                                                              : -16.0; }),
                {0.0, 839.9, 840.0},
                839.5},
        // A 3 s jingle: both envelopes are the whole jingle.
        CueCase{"jingle", Song(3, kI, [](double) { return kI; }), {0.0, 2.9, 3.0}, 2.5},
        // Silence only: I is minus infinity; cue points at 0 and the end.
        CueCase{"silence only",
                Song(60, kSilence, [](double) { return kSilence; }),
                {0.0, 60.0, 60.0},
                59.5}),
    CaseName);

} // namespace
