// The mix look-ahead of the media-control player on files whose length GStreamer does
// not know when they open (MP2, VBR mp3 without a Xing frame), with a Xing mp3 as the
// control: with mixing on, GetMode (raw false) reports a started song as playing and
// turns to finished only once about mix seconds are left, never at once.
//
// Threads: the test thread drives the player and polls it every 100 ms, as the loop
// driver does; the player's fader workers run on their own threads. Every wait is bounded.
#include "platform/gst/CGstMciContextFactory.h"
#include "playback/CMCIPlayer.h"
#include "settings/CMixTypeList.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr std::int32_t kMixSeconds = 2;
// Speed 20: 50 ms steps, so the fade-in ramp (during which the worker counts as playing
// without being asked) is over after about 1 s.
constexpr std::int32_t kMixSpeed = 20;
constexpr auto kPollPeriod = 100ms;
// The songs are 5.5 s long: 5 whole seconds, so the look-ahead (whole seconds of length
// minus whole seconds of position) turns at 3.0 s of position, 2.5 s before the end.
constexpr double kEarliestSeconds = 2.5;
constexpr double kLatestSeconds = 3.8;
// Polls stop after this long; the song is over by then anyway.
constexpr auto kWatchLimit = 6500ms;

// Songs made once per test program: a quiet second of 440 Hz, then 440 Hz with pink
// noise, so a VBR encoder uses low bit rates at first and high ones later (as a song
// with a soft intro does) and a length guessed from the first frames is far off.
class MixStartMedia {
public:
    static const MixStartMedia& Get() {
        static MixStartMedia media;
        return media;
    }
    bool Ready() const { return m_bReady; }
    std::string Path(const std::string& name) const { return m_dir.File(name); }

private:
    MixStartMedia() {
        using TestFiles::HaveTool;
        if (!HaveTool("sox") || !HaveTool("lame") || !HaveTool("ffmpeg")) {
            return;
        }
        const std::string commands =
            "cd " + TestFiles::ShellQuote(m_dir.Path()) +
            " && sox -n -r 44100 -c 2 intro.wav synth 1 sine 440 vol 0.05"
            " && sox -n -r 44100 -c 2 tone.wav synth 4.5 sine 440 vol 0.4"
            " && sox -n -r 44100 -c 2 noise.wav synth 4.5 pinknoise vol 0.4"
            " && sox -m tone.wav noise.wav body.wav && sox intro.wav body.wav song.wav"
            " && ffmpeg -nostdin -loglevel error -y -i song.wav -c:a mp2 -b:a 192k song.mp2"
            " && lame --quiet -V 4 -t song.wav vbr-no-xing.mp3"
            " && lame --quiet -V 4 song.wav vbr-xing.mp3";
        m_bReady = TestFiles::Run(commands) == 0;
    }

    TempDir m_dir;
    bool m_bReady = false;
};

// What the polls saw after a mixed start.
struct SWatch {
    bool bPlayed = false;          // Play answered true
    std::int32_t nFirstMode = -1;  // the first poll's answer
    double dTurnSeconds = -1;      // when GetMode first answered finished; -1 never
    std::int64_t nPositionMs = -1; // the song's position then, as the device says
    std::int64_t nLengthMs = -1;   // and its length
    std::string trace;             // "seconds:mode" of each poll, for failure messages
};

class PlayerMixStartTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!MixStartMedia::Get().Ready()) {
            GTEST_SKIP() << "sox, lame or ffmpeg missing";
        }
        // Real time without a sound card.
        ::setenv("MIXOREL_AUDIO_SINK", "fakesink sync=true", 1);
    }

    static SWatch PlayAndWatch(const std::string& name) {
        auto mixTypes = std::make_shared<CMixTypeList>();
        mixTypes->SetMixTypes({CMixTypeList::GetLinearFade()});
        PlaybackEnvironment environment;
        environment.pFactory = std::make_shared<CGstMciContextFactory>();
        environment.pMixTypes = mixTypes;

        SWatch watch;
        CMCIPlayer player(environment);
        player.SetMixEnabled(true);
        player.SetMixSeconds(kMixSeconds);
        player.SetMixSpeed(kMixSpeed);
        player.SetMixType(0);
        watch.bPlayed = player.Play(MixStartMedia::Get().Path(name));
        // The song's position starts with the play command, the last one Play sends
        // before the fade-in; time counts from Play's return.
        const auto start = Clock::now();
        std::ostringstream trace;
        for (int poll = 0; Clock::now() - start < kWatchLimit; ++poll) {
            const std::int32_t mode = player.GetMode(false);
            const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
            trace << seconds << ":" << mode << " ";
            if (poll == 0) {
                watch.nFirstMode = mode;
            }
            if (mode == CPlayer::kModeStopped) {
                watch.dTurnSeconds = seconds;
                std::string reply;
                if (player.SendCommand("status mpeg position", reply)) {
                    watch.nPositionMs = std::atoll(reply.c_str());
                }
                if (player.SendCommand("status mpeg length", reply)) {
                    watch.nLengthMs = std::atoll(reply.c_str());
                }
                break;
            }
            std::this_thread::sleep_until(start + (poll + 1) * kPollPeriod);
        }
        watch.trace = trace.str();
        std::printf("%s: finished at %.2f s (position %lld ms, length %lld ms)\n", name.c_str(),
                    watch.dTurnSeconds, static_cast<long long>(watch.nPositionMs),
                    static_cast<long long>(watch.nLengthMs));
        return watch;
    }

    static void ExpectTurnWhenMixSecondsRemain(const std::string& name) {
        const SWatch watch = PlayAndWatch(name);
        ASSERT_TRUE(watch.bPlayed);
        EXPECT_EQ(watch.nFirstMode, CPlayer::kModePlaying) << watch.trace;
        ASSERT_GE(watch.dTurnSeconds, 0) << "never reported finished: " << watch.trace;
        EXPECT_GE(watch.dTurnSeconds, kEarliestSeconds) << "finished too early: " << watch.trace;
        EXPECT_LE(watch.dTurnSeconds, kLatestSeconds) << "finished too late: " << watch.trace;
    }
};

TEST_F(PlayerMixStartTest, Mp2TurnsFinishedWhenMixSecondsRemain) {
    ExpectTurnWhenMixSecondsRemain("song.mp2");
}

TEST_F(PlayerMixStartTest, VbrMp3WithoutXingTurnsFinishedWhenMixSecondsRemain) {
    ExpectTurnWhenMixSecondsRemain("vbr-no-xing.mp3");
}

TEST_F(PlayerMixStartTest, VbrMp3WithXingTurnsFinishedWhenMixSecondsRemain) {
    ExpectTurnWhenMixSecondsRemain("vbr-xing.mp3");
}

} // namespace
