// The mixing engine heard through a private PulseAudio null sink: a loop of an 8 s song,
// a 3 s jingle and a 6 s song, each a tone of its own, with fitted "Equal power" fades
// and 2 s of mix. The player is driven as the loop driver drives it (a poll every 100 ms,
// the next song started when the player says the current one is within its mix). Every
// start must sit within 50 ms of its mix point, the jingle must be at full level from its
// first 50 ms and be heard whole, nothing may fall silent and nothing may click, and the
// two songs of a mix must sum to the level of one.
#include "AudioAnalysis.h"
#include "GstTestSupport.h"
#include "PulseNullSink.h"

#include <cmath>

namespace {

using namespace AudioAnalysis;

constexpr double kHop = 0.01;         // seconds between analysis windows
constexpr double kHalfWindow = 0.025; // a window's value belongs to its centre
constexpr double kMixSeconds = 2.0;
// Where each start lies in its previous song: the overlap is the mix time, at most half
// the length of either song (8 s, then the 3 s jingle, then 6 s).
constexpr double kJingleAt = 8.0 - 1.5;
constexpr double kSecondAt = 3.0 - 1.5;
constexpr double kFirstAgainAt = 6.0 - 2.0;
constexpr double kTolerance = 0.050;

double TimeOf(long index) {
    return static_cast<double>(index) * kHop + kHalfWindow;
}

// When a sine fade-in (equal power) over length reaches fraction of full level.
double SineFadeTime(double fraction, double length) {
    return std::asin(fraction) / (std::numbers::pi / 2.0) * length;
}

std::vector<double> RmsLevels(const std::vector<float>& samples) {
    return OverWindows(samples, PulseNullSink::kRate, [](const float* x, std::size_t count) {
        double sum = 0;
        for (std::size_t i = 0; i < count; ++i) {
            sum += static_cast<double>(x[i]) * x[i];
        }
        return std::sqrt(sum / static_cast<double>(count));
    });
}

std::size_t Index(double seconds) {
    return static_cast<std::size_t>(std::max(0.0, (seconds - kHalfWindow) / kHop));
}

class EngineMixCaptureTest : public PulseNullSinkTest {
protected:
    void SetUp() override {
        PulseNullSinkTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        PlayHereThroughTheSink();
    }
    std::string Song(const std::string& name, double seconds, int tone) {
        const std::string path = m_dir.File(name);
        const std::string command = "sox -n -r 44100 -c 2 " + TestFiles::ShellQuote(path) +
                                    " synth " + std::to_string(seconds) + " sine " +
                                    std::to_string(tone) + " vol 0.4";
        EXPECT_EQ(TestFiles::Run(command), 0) << command;
        return path;
    }
};

TEST_F(EngineMixCaptureTest, StartsOnTheMixPointJingleWholeNoGapNoClickEqualPowerSum) {
    const std::string first = Song("first.wav", 8.0, 440);
    const std::string jingle = Song("jingle.wav", 3.0, 660);
    const std::string second = Song("second.wav", 6.0, 990);
    const PlaybackEnvironment environment = BuiltInMixEnvironment();
    {
        CMCIPlayer player(environment);
        player.Connect(0, true);
        player.SetMixEnabled(true);
        player.SetMixSeconds(static_cast<std::int32_t>(kMixSeconds));
        player.SetMixType(1); // "Equal power"
        player.SetFitFades(true);
        ASSERT_TRUE(player.Play(first));
        std::this_thread::sleep_for(250ms);
        for (const std::string& next : {jingle, second, first}) {
            ASSERT_TRUE(StartWhenWithinMix(player, next, 15s)) << next;
            std::this_thread::sleep_for(250ms);
        }
        std::this_thread::sleep_for(1500ms);
        player.Stop(); // fades out within a second
        std::this_thread::sleep_for(1300ms);
    }
    std::vector<float> sound;
    std::string error;
    ASSERT_TRUE(m_sink.StopAndRead(sound, error)) << error;
    const int rate = PulseNullSink::kRate;
    const auto first440 = ToneLevels(sound, rate, 440);
    const auto jingle660 = ToneLevels(sound, rate, 660);
    const auto second990 = ToneLevels(sound, rate, 990);
    const double full440 = Max(first440, 0, first440.size());
    const double full660 = Max(jingle660, 0, jingle660.size());
    const double full990 = Max(second990, 0, second990.size());
    ASSERT_GT(full440, 0.1);

    // The first song ramps up over 0.3 s (a tenth after 30 ms); the jingle starts at full
    // level; the others fade in along a sine over the overlap.
    const long a = FirstCrossing(first440, 0, full440 * 0.1, false);
    ASSERT_GE(a, 0);
    const double firstStart = TimeOf(a) - 0.03;
    const long j = FirstCrossing(jingle660, a, full660 * 0.5, false);
    ASSERT_GE(j, 0);
    const double jingleStart = TimeOf(j);
    const long b = FirstCrossing(second990, j, full990 * 0.1, false);
    ASSERT_GE(b, 0);
    const double secondStart = TimeOf(b) - SineFadeTime(0.1, 1.5);
    const long again = FirstCrossing(first440, Index(secondStart + 1.0), full440 * 0.1, false);
    const double againStart = TimeOf(again) - SineFadeTime(0.1, kMixSeconds);
    const std::string heard = "first " + std::to_string(firstStart) + " s, jingle " +
                              std::to_string(jingleStart) + " s, second " +
                              std::to_string(secondStart) + " s, first again " +
                              std::to_string(againStart) + " s";
    ASSERT_GE(again, 0) << heard;
    EXPECT_NEAR(jingleStart - firstStart, kJingleAt, kTolerance) << heard;
    EXPECT_NEAR(secondStart - jingleStart, kSecondAt, kTolerance) << heard;
    EXPECT_NEAR(againStart - secondStart, kFirstAgainAt, kTolerance) << heard;

    // The jingle: full level from its first 50 ms until its fade-out, and heard to its end.
    EXPECT_GT(jingle660[Index(jingleStart + 0.05)], full660 * 0.9) << heard;
    EXPECT_GT(Median(jingle660, Index(jingleStart + 0.05), Index(jingleStart + 1.45)),
              full660 * 0.95)
        << heard;
    EXPECT_GT(jingle660[Index(jingleStart + 2.7)], full660 * 0.2) << heard;

    // Equal power: through the middle of the jingle's mix into the second song, the sum
    // keeps the level of one song alone.
    const auto rms = RmsLevels(sound);
    const double alone = Median(rms, Index(secondStart + 2.0), Index(secondStart + 3.5));
    for (std::size_t i = Index(secondStart + 0.1); i < Index(secondStart + 1.4); ++i) {
        EXPECT_NEAR(20.0 * std::log10(rms[i] / alone), 0.0, 1.0)
            << "at " << TimeOf(static_cast<long>(i)) << " s; " << heard;
    }

    // No gap over 100 ms between the first start and the stop (which comes about 0.9 s
    // after the last start), and no click anywhere.
    const auto peaks = PeakLevels(sound, rate);
    int quiet = 0;
    for (std::size_t i = Index(firstStart + 0.1); i < Index(againStart + 0.8); ++i) {
        quiet = peaks[i] < 0.05 ? quiet + 1 : 0;
        ASSERT_LT(quiet, 6) << "silent at " << TimeOf(static_cast<long>(i)) << " s; " << heard;
    }
    const auto clicks = PeakLevels(HighPass(sound, rate, 5000), rate);
    const double click = Max(clicks, 0, clicks.size());
    EXPECT_LT(click, 0.01) << "at "
                           << TimeOf(std::max_element(clicks.begin(), clicks.end()) -
                                     clicks.begin())
                           << " s; " << heard;
}

} // namespace
