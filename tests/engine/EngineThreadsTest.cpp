// The mixing engine's threads at work together, for ThreadSanitizer (its own small test
// program, without the command-line tool the other GStreamer tests need): songs opened,
// played, sought, paused, faded and closed from two threads at once while taps come and
// go, the mixer thread pulling from them all.
#include "platform/gst/CGstMciContextFactory.h"
#include "platform/gst/CGstMixEngine.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <atomic>
#include <cstdlib>
#include <gtest/gtest.h>
#include <thread>

namespace {

using namespace std::chrono_literals;

class CCountingTap final : public IMixTap {
public:
    void OnMixBlock(const float*, std::size_t frames) override { m_nFrames += frames; }
    std::atomic<std::size_t> m_nFrames{0};
};

TEST(EngineThreadsTest, SongsOnTwoThreadsWhileTapsComeAndGo) {
    if (!TestFiles::HaveTool("sox")) {
        GTEST_SKIP() << "sox missing";
    }
    TempDir dir;
    const std::string song = dir.File("tone.wav");
    ASSERT_EQ(TestFiles::Run("sox -n -r 44100 -c 2 " + TestFiles::ShellQuote(song) +
                             " synth 3 sine 440 vol 0.4"),
              0);
    ::setenv("MIXOREL_AUDIO_SINK", "fakesink sync=true", 1);
    CGstMciContextFactory factory;
    std::atomic<int> failures{0};
    const auto songs = [&](int seed) {
        auto context = factory.CreateContext();
        std::string reply;
        const auto send = [&](const std::string& command) {
            failures += context->SendString(command, reply) != 0;
        };
        for (int round = 0; round < 4; ++round) {
            send("open \"" + song + "\" alias mpeg wait");
            send("setaudio mpeg volume to " + std::to_string(200 + 100 * seed));
            send("status mpeg clock");
            const std::int64_t clock = std::atoll(reply.c_str());
            send("setaudio mpeg curve " + std::to_string(clock) + ":0 " +
                 std::to_string(clock + 200) + ":1000");
            send("play mpeg from 0 at " + std::to_string(clock + 20 * seed));
            std::this_thread::sleep_for(120ms);
            send("status mpeg position");
            send("pause mpeg");
            send("resume mpeg");
            send("play mpeg from 1500");
            send("setaudio mpeg trim to -300");
            std::this_thread::sleep_for(60ms);
            send("stop mpeg at " + std::to_string(clock + 400));
            send("close mpeg");
        }
    };
    auto tap = std::make_shared<CCountingTap>();
    std::thread one(songs, 1);
    std::thread two(songs, 2);
    for (int n = 0; n < 20; ++n) {
        CGstMixEngine::AddTap(tap);
        std::this_thread::sleep_for(20ms);
        CGstMixEngine::RemoveTap(tap);
    }
    one.join();
    two.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_GT(tap->m_nFrames.load(), 0u);
}

} // namespace
