// `mixorel-cli loop` while its sound server goes away and comes back (a PipeWire
// restart, a Bluetooth speaker that drops): the loop must not end, the song that was
// playing keeps its place, and the mix is heard again within 5 s of the server's return.
#include "AudioAnalysis.h"
#include "PulseNullSink.h"

#include "support/ChildProcess.h"

#include <fstream>

namespace {

using namespace AudioAnalysis;
using TestFiles::ShellQuote;

using LostOutputTest = PulseNullSinkTest;

TEST_F(LostOutputTest, TheLoopWaitsForTheServerAndPlaysOnFromTheSongThatPlayed) {
    const std::vector<int> tones = {440, 660, 990};
    std::string create =
        std::string(MIXOREL_CLI) + " playlist create " + ShellQuote(m_dir.File("list.qmx"));
    for (const int tone : tones) {
        const std::string song = m_dir.File(std::to_string(tone) + ".mp3");
        ASSERT_TRUE(TestFiles::WriteSineMp3(song, 8, tone, "--scale 0.5"));
        create += " " + ShellQuote(song);
    }
    ASSERT_EQ(TestFiles::Run(create + " > /dev/null"), 0);
    const std::map<std::string, std::string> environment = CliEnvironment(
        "mixseconds=1\nmixspeed=20\nusemixer=1\nfitfades=1\nautomixpoints=0\nnormalize=0\n");
    ChildProcess loop;
    ASSERT_TRUE(loop.Start({MIXOREL_CLI, "loop", m_dir.File("list.qmx")}, m_dir.File("loop.out"),
                           environment));
    std::this_thread::sleep_for(2000ms);

    // The server goes (with it the recorder): what played before is the first song.
    std::vector<float> before;
    std::string error;
    ASSERT_TRUE(m_sink.StopAndRead(before, error)) << error;
    const auto before440 = ToneLevels(before, PulseNullSink::kRate, 440);
    ASSERT_GT(Max(before440, 0, before440.size()), 0.2) << "the first song was not heard";
    std::this_thread::sleep_for(3000ms);
    EXPECT_FALSE(loop.IsGone()) << "the loop ended while the server was away";

    const auto back = std::chrono::steady_clock::now();
    ASSERT_TRUE(m_sink.Start(m_dir.File("pulse"), error)) << error;
    const double recordingStarts =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - back).count();
    std::this_thread::sleep_for(3000ms);
    EXPECT_FALSE(loop.IsGone()) << "the loop ended after the server came back";
    EXPECT_TRUE(loop.Stop(SIGINT, 10000ms)) << "the loop did not stop on SIGINT";
    std::vector<float> after;
    ASSERT_TRUE(m_sink.StopAndRead(after, error)) << error;

    // Heard again within 5 s of the server's return, and it is the first song, where it
    // was held (about 2 s in), not the next one.
    const auto after440 = ToneLevels(after, PulseNullSink::kRate, 440);
    const auto after660 = ToneLevels(after, PulseNullSink::kRate, 660);
    const long heard = FirstCrossing(after440, 0, 0.1, false);
    ASSERT_GE(heard, 0) << "nothing heard after the server came back";
    const double heardAt = recordingStarts + static_cast<double>(heard) * 0.01;
    EXPECT_LT(heardAt, 5.0) << "heard " << heardAt << " s after the server came back";
    RecordProperty("heard_after_return_ms", static_cast<int>(heardAt * 1000));
    EXPECT_LT(Max(after660, 0, static_cast<std::size_t>(heard) + 100), 0.05)
        << "the next song played instead of the held one";
    std::ifstream output(m_dir.File("loop.out"));
    const std::string text((std::istreambuf_iterator<char>(output)), {});
    EXPECT_EQ(text.find("could be played"), std::string::npos) << text;
}

} // namespace
