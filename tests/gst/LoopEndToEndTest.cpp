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

TEST(LoopEndToEndTest, SongsSoundInLoopOrderAndCrossFadeAtTheMixPoint) {
    const std::string missing = TestFiles::HaveTool("lame") ? PulseNullSink::MissingTool() : "lame";
    if (!missing.empty()) {
        GTEST_SKIP() << missing << " is not installed";
    }
    TempDir dir;
    const std::vector<int> tones = {440, 660, 990};
    std::string create =
        std::string(MIXOREL_CLI) + " playlist create " + ShellQuote(dir.File("list.qmx"));
    for (const int tone : tones) {
        const std::string hz = std::to_string(tone);
        ASSERT_EQ(TestFiles::Run("cd " + ShellQuote(dir.Path()) + " && sox -n -r 44100 -c 2 " + hz +
                                 ".wav synth 3 sine " + hz + " vol 0.5 && lame --quiet -b 128 " +
                                 hz + ".wav " + hz + ".mp3"),
                  0);
        create += " " + ShellQuote(dir.File(hz + ".mp3"));
    }
    ASSERT_EQ(TestFiles::Run(create + " > /dev/null"), 0);
    std::filesystem::create_directories(dir.File("config/Mixorel"));
    std::ofstream(dir.File("config/Mixorel/Mixorel.ini"))
        << "[internal]\nmixseconds=1\nmixspeed=20\nusemixer=1\n";

    PulseNullSink sink;
    std::string error;
    ASSERT_TRUE(sink.Start(dir.Path() + "/pulse", error)) << error;
    std::map<std::string, std::string> environment = sink.ClientEnvironment();
    environment["MIXOREL_AUDIO_SINK"] = "pulsesink";
    environment["XDG_CONFIG_HOME"] = dir.File("config");
    environment["MIXOREL_HOME"] = dir.File("home");
    ChildProcess loop;
    ASSERT_TRUE(
        loop.Start({MIXOREL_CLI, "loop", dir.File("list.qmx")}, dir.File("loop.out"), environment));
    std::this_thread::sleep_for(8500ms);
    EXPECT_TRUE(loop.Stop(SIGINT, 10000ms)) << "the loop did not stop on SIGINT";
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(sink.Stop());

    Recording recording;
    ASSERT_TRUE(ReadWav(sink.RecordingPath(), recording, error)) << error;
    std::vector<std::pair<double, int>> starts;
    for (const int tone : tones) {
        for (const double at : Onsets(ToneLevels(recording.mono, recording.nRate, tone))) {
            starts.emplace_back(at, tone);
        }
    }
    std::sort(starts.begin(), starts.end());
    std::string heard;
    for (const auto& [at, tone] : starts) {
        heard += std::to_string(tone) + " at " + std::to_string(at) + " s; ";
    }
    ASSERT_GE(starts.size(), 4u) << heard;
    const std::vector<int> order = {440, 660, 990, 440};
    // Each next song starts when 1 s remains of a 3 s song: 2 s apart, give or take the
    // driver's polling and the sound server's latency.
    for (std::size_t n = 0; n < 4; ++n) {
        EXPECT_EQ(starts[n].second, order[n]) << heard;
        const double gap = n > 0 ? starts[n].first - starts[n - 1].first : 2.0;
        EXPECT_GT(gap, 1.7) << heard;
        EXPECT_LT(gap, 2.6) << heard;
    }
}

} // namespace
