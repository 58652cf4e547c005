#include "playback/CFadeCurve.h"
#include "playback/CMixPlan.h"

#include <gtest/gtest.h>

namespace {

struct SPlanCase {
    const char* name;
    CMixPlan::SInput input;
    // Expected: start (old position), overlap, fade-in, fade-out, full, new from, old end.
    std::int64_t nStart, nOverlap, nFadeIn, nFadeOut;
    bool bFull;
    std::int64_t nFrom, nOldEnd;
};

SongCuePoints Cue(std::int64_t in, std::int64_t next, std::int64_t out) {
    return {in, next, out};
}

class MixPlanTest : public ::testing::TestWithParam<SPlanCase> {};

TEST_P(MixPlanTest, Plan) {
    const SPlanCase& c = GetParam();
    const CMixPlan plan = CMixPlan::Make(c.input);
    EXPECT_EQ(plan.nStartAtOldMs, c.nStart);
    EXPECT_EQ(plan.nOverlapMs, c.nOverlap);
    EXPECT_EQ(plan.nFadeInMs, c.nFadeIn);
    EXPECT_EQ(plan.nFadeOutMs, c.nFadeOut);
    EXPECT_EQ(plan.bNewAtFullVolume, c.bFull);
    EXPECT_EQ(plan.nNewFromMs, c.nFrom);
    EXPECT_EQ(plan.nOldEndMs, c.nOldEnd);
    // The next song never starts after the old one has ended.
    EXPECT_LE(plan.nStartAtOldMs, plan.nOldEndMs);
}

// old length, old position, old cue, new length, new cue, mix.
const SPlanCase kCases[] = {
    {"Songs", {180000, 170000, {}, 200000, {}, 5000}, 175000, 5000, 5000, 5000, false, 0, 180000},
    {"UnknownNewLength",
     {180000, 170000, {}, -1, {}, 5000},
     175000,
     5000,
     5000,
     5000,
     false,
     0,
     180000},
    // A 3 s jingle after an 8 s song: at full volume, the overlap half its length.
    {"JingleIn", {8000, 5000, {}, 3000, {}, 2000}, 6500, 1500, 0, 1500, true, 0, 8000},
    // Out of the jingle: half its length again; the 6 s song fades in over that.
    {"JingleOut", {3000, 500, {}, 6000, {}, 2000}, 1500, 1500, 1500, 1500, false, 0, 3000},
    // Overlaps under 0.3 s are a plain sequence.
    {"TinySong", {500, 0, {}, 8000, {}, 2000}, 500, 0, 0, 0, true, 0, 500},
    {"TinyNext", {8000, 7000, {}, 500, {}, 2000}, 8000, 0, 0, 0, true, 0, 8000},
    {"NoMix", {8000, 7000, {}, 8000, {}, 0}, 8000, 0, 0, 0, true, 0, 8000},
    // Cue points: start at start-next, end at cue-out, the new song from its cue-in.
    {"Cued",
     {180000, 160000, Cue(300, 170000, 178000), 200000, Cue(1200, 190000, 199000), 5000},
     173000,
     5000,
     5000,
     5000,
     false,
     1200,
     178000},
    {"CuedShortOverlap",
     {180000, 160000, Cue(0, 177800, 178000), 200000, {}, 5000},
     177500,
     500,
     500,
     500,
     false,
     0,
     178000},
    {"CuedLongOverlap",
     {180000, 160000, Cue(0, 171000, 178000), 200000, {}, 5000},
     173000,
     5000,
     5000,
     5000,
     false,
     0,
     178000},
    // A skip past the mix point mixes from where the old song is.
    {"PastTheMixPoint",
     {180000, 178000, {}, 200000, {}, 5000},
     178000,
     2000,
     2000,
     2000,
     false,
     0,
     180000},
};

INSTANTIATE_TEST_SUITE_P(Cases, MixPlanTest, ::testing::ValuesIn(kCases),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(MixPlanTest, MixPointOfTheOldSongAlone) {
    EXPECT_EQ(CMixPlan::MixPointOf(8000, {}, 2000), 6000);
    EXPECT_EQ(CMixPlan::MixPointOf(3000, {}, 2000), 1500);
    EXPECT_EQ(CMixPlan::MixPointOf(500, {}, 2000), 500);
    EXPECT_EQ(CMixPlan::MixPointOf(-1, {}, 2000), -1);
    EXPECT_EQ(CMixPlan::MixPointOf(180000, Cue(0, 170000, 178000), 5000), 173000);
}

// A table is stretched evenly over the fade, from the start level, scaled.
TEST(FadeCurveTest, StretchesTheTableOverTheFade) {
    EXPECT_EQ(CFadeCurve::Command("mpeg", 1000, 2000, {500, 1000}, 0, 1000, 1000),
              "setaudio mpeg curve 1000:0 2000:500 3000:1000 3000:1000");
    EXPECT_EQ(CFadeCurve::Command("mpeg", 0, 1000, {500, 0}, 800, 800),
              "setaudio mpeg curve 0:800 500:400 1000:0");
    EXPECT_EQ(CFadeCurve::Command("mpeg", 40, 0, {}, 1000), "setaudio mpeg curve 40:1000");
    EXPECT_EQ(CFadeCurve::FadeOutCommand("mpeg", 0, 1000, {500, 0}),
              "setaudio mpeg curve scaled 0:1000 500:500 1000:0 1000:0");
}

} // namespace
