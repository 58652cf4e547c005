// The media-control player through GStreamer into a private PulseAudio null sink, whose
// monitor is recorded and measured: two songs mixed as the loop mixes them.
#include "AudioAnalysis.h"
#include "PulseNullSink.h"

#include "support/ScopedEnvironment.h"

#include <algorithm>
#include <cmath>

namespace {

using namespace AudioAnalysis;
using Clock = std::chrono::steady_clock;

constexpr double kFrameSeconds = 0.01; // the hop of the level measurements

using PlayerEndToEndTest = PulseNullSinkTest;

std::size_t Frame(double seconds) {
    return static_cast<std::size_t>(std::lround(seconds / kFrameSeconds));
}

TEST_F(PlayerEndToEndTest, MixedStartFadesOneSongOutWhileTheNextFadesInWithoutClicks) {
    const std::string first = m_dir.File("first-440.wav");
    const std::string second = m_dir.File("second-1000.wav");
    ASSERT_EQ(TestFiles::Run("sox -n -r 44100 -c 2 " + TestFiles::ShellQuote(first) +
                             " synth 4 sine 440 vol 0.5 && sox -n -r 44100 -c 2 " +
                             TestFiles::ShellQuote(second) + " synth 3 sine 1000 vol 0.5"),
              0);
    ScopedEnvironment environment({{"PULSE_SERVER", m_sink.ClientEnvironment().at("PULSE_SERVER")},
                                   {"MIXOREL_AUDIO_SINK", "pulsesink"}});

    // Mix seconds 2, speed 20 (50 ms steps) and the linear fade: 1 s ramps.
    double mixAtSeconds = 0;
    {
        CMCIPlayer player(MixingEnvironment(std::make_shared<CGstMciContextFactory>()));
        ConfigureMix(player, true, 2);
        ASSERT_TRUE(player.Connect(-1, true));
        const auto start = Clock::now();
        ASSERT_TRUE(player.Play(first));
        ASSERT_TRUE(WaitFor([&] { return !player.IsActive(false); }, 8000ms, 20ms))
            << "the first song never came within mix seconds of its end";
        mixAtSeconds = std::chrono::duration<double>(Clock::now() - start).count();
        ASSERT_TRUE(player.Play(second));
        ASSERT_TRUE(WaitFor([&] { return !player.IsActive(true); }, 8000ms, 20ms))
            << "the second song never ended";
    }
    std::vector<float> heard;
    std::string error;
    ASSERT_TRUE(m_sink.StopAndRead(heard, error)) << error;
    const int rate = PulseNullSink::kRate;
    const auto a440 = ToneLevels(heard, rate, 440);
    const auto a1000 = ToneLevels(heard, rate, 1000);
    const double peak440 = Max(a440, 0, a440.size());
    const double peak1000 = Max(a1000, 0, a1000.size());
    ASSERT_GT(peak440, 0.1) << "the first song is not in the recording";
    ASSERT_GT(peak1000, 0.1) << "the second song is not in the recording";

    // Onsets: both songs start silent and fade in from their first step.
    const long on440 = FirstCrossing(a440, 0, 0.03 * peak440, false);
    const long on1000 = FirstCrossing(a1000, 0, 0.03 * peak1000, false);
    ASSERT_GE(on440, 0);
    ASSERT_GT(on1000, on440 + static_cast<long>(Frame(1.5)));
    const auto mix = static_cast<std::size_t>(on1000);
    ASSERT_GT(a1000.size(), mix + Frame(1.9)) << "the recording ends too early";
    const double gapSeconds = static_cast<double>(on1000 - on440) * kFrameSeconds;
    // The overlap starts when mix seconds remain of the 4 s song (the loop polls).
    EXPECT_NEAR(mixAtSeconds, 2.25, 0.35); // 1.9 to 2.6 s
    EXPECT_NEAR(gapSeconds, 2.2, 0.4);     // 1.8 to 2.6 s

    const double full440 = Median(a440, mix - Frame(0.6), mix - Frame(0.1));
    const double full1000 = Median(a1000, mix + Frame(1.3), mix + Frame(1.8));
    ASSERT_GT(std::min(full440, full1000), 0.1);

    // Along the ramps the old song falls while the new one rises, step for step: with the
    // linear fade the two relative levels add up to about one.
    for (const double t : {0.25, 0.5, 0.75}) {
        const double out = a440[mix + Frame(t)] / full440;
        const double in = a1000[mix + Frame(t)] / full1000;
        const double outLater = a440[mix + Frame(t + 0.2)] / full440;
        const double inLater = a1000[mix + Frame(t + 0.2)] / full1000;
        EXPECT_GT(out, outLater + 0.08) << "440 Hz does not fall at " << t << " s into the mix";
        EXPECT_LT(in, inLater - 0.08) << "1000 Hz does not rise at " << t << " s into the mix";
        EXPECT_NEAR(out + in, 1.0, 0.35) << "at " << t << " s into the mix";
    }
    EXPECT_GT(a440[mix - Frame(0.1)] / full440, 0.85) << "the old song faded before the mix";
    EXPECT_LT(a440[mix + Frame(1.3)] / full440, 0.05) << "the old song is still heard";
    EXPECT_GT(a1000[mix + Frame(1.3)] / full1000, 0.85) << "the new song is not at full volume";

    // A 1 s linear ramp spends about 0.8 s between its 90 % and 10 % points.
    const long fall90 = FirstCrossing(a440, mix - Frame(0.3), 0.9 * full440, true);
    const long fall10 = FirstCrossing(a440, mix - Frame(0.3), 0.1 * full440, true);
    const long rise10 = FirstCrossing(a1000, mix, 0.1 * full1000, false);
    const long rise90 = FirstCrossing(a1000, mix, 0.9 * full1000, false);
    ASSERT_TRUE(fall90 >= 0 && fall10 >= 0 && rise10 >= 0 && rise90 >= 0);
    EXPECT_NEAR(static_cast<double>(fall10 - fall90) * kFrameSeconds, 0.9, 0.4); // 0.5 to 1.3 s
    EXPECT_NEAR(static_cast<double>(rise90 - rise10) * kFrameSeconds, 0.9, 0.4);

    // No click during the mix: nothing above 5 kHz stands out from the steady parts.
    const auto clicks = PeakLevels(HighPass(heard, rate, 5000), rate);
    const double baseline = std::max(Max(clicks, mix - Frame(0.6), mix - Frame(0.1)),
                                     Max(clicks, mix + Frame(1.3), mix + Frame(1.8)));
    const double duringMix = Max(clicks, mix - Frame(0.3), mix + Frame(1.25));
    EXPECT_LT(duringMix, std::max(0.01, 4.0 * baseline)) << "a click during the mix";
}

} // namespace
