// `mixorel-cli loop` heard through a private PulseAudio null sink: three songs of three
// seconds, each a tone of its own, looped with mixing on (1 s). The recording must hold
// the tones in loop order, each next one starting when a second remains of the one
// before, and the first tone again after the third (the wrap).
#include "AudioAnalysis.h"
#include "PulseNullSink.h"

#include "support/ChildProcess.h"

#include <fstream>

namespace {

using namespace AudioAnalysis;
using TestFiles::ShellQuote;

constexpr double kFrameSeconds = 0.01;

// Onsets of a tone: frames where its level rises through a third of its peak after at
// least 0.5 s below that.
std::vector<double> Onsets(const std::vector<double>& levels) {
    const double peak = Max(levels, 0, levels.size());
    std::vector<double> onsets;
    std::size_t quiet = 50;
    for (std::size_t i = 0; i < levels.size(); ++i) {
        if (levels[i] >= peak / 3.0 && quiet >= 50) {
            onsets.push_back(static_cast<double>(i) * kFrameSeconds);
        }
        quiet = levels[i] < peak / 3.0 ? quiet + 1 : 0;
    }
    return onsets;
}

using LoopEndToEndTest = PulseNullSinkTest;

TEST_F(LoopEndToEndTest, SongsSoundInLoopOrderAndCrossFadeAtTheMixPoint) {
    const std::vector<int> tones = {440, 660, 990};
    std::string create =
        std::string(MIXOREL_CLI) + " playlist create " + ShellQuote(m_dir.File("list.qmx"));
    for (const int tone : tones) {
        const std::string song = m_dir.File(std::to_string(tone) + ".mp3");
        ASSERT_TRUE(TestFiles::WriteSineMp3(song, 3, tone, "--scale 0.5")); // half scale
        create += " " + ShellQuote(song);
    }
    ASSERT_EQ(TestFiles::Run(create + " > /dev/null"), 0);
    const std::map<std::string, std::string> environment =
        CliEnvironment("mixseconds=1\nmixspeed=20\nusemixer=1\nautomixpoints=0\nnormalize=0\n");
    ChildProcess loop;
    ASSERT_TRUE(loop.Start({MIXOREL_CLI, "loop", m_dir.File("list.qmx")}, m_dir.File("loop.out"),
                           environment));
    std::this_thread::sleep_for(8500ms);
    EXPECT_TRUE(loop.Stop(SIGINT, 10000ms)) << "the loop did not stop on SIGINT";
    std::vector<float> sound;
    std::string error;
    ASSERT_TRUE(m_sink.StopAndRead(sound, error)) << error;
    std::vector<std::pair<double, int>> starts;
    for (const int tone : tones) {
        for (const double at : Onsets(ToneLevels(sound, PulseNullSink::kRate, tone))) {
            starts.emplace_back(at, tone);
        }
    }
    std::sort(starts.begin(), starts.end());
    std::string heard;
    for (const auto& [at, tone] : starts) {
        heard += std::to_string(tone) + " at " + std::to_string(at) + " s; ";
    }
    ASSERT_GE(starts.size(), 4u) << heard;
    // Each next song starts when 1 s remains of a 3 s song: 2 s apart, give or take the
    // driver's polling and the sound server's latency.
    for (std::size_t n = 0; n < 4; ++n) {
        EXPECT_EQ(starts[n].second, tones[n % 3]) << heard; // the fourth is the first again
        const double gap = n > 0 ? starts[n].first - starts[n - 1].first : 2.0;
        EXPECT_GT(gap, 1.7) << heard;
        EXPECT_LT(gap, 2.6) << heard;
    }
}

} // namespace
