// The mix look-ahead of the media-control player on files whose length GStreamer does
// not know when they open (MP2, VBR mp3 without a Xing frame), with a Xing mp3 as the
// control: with mixing on, GetMode (raw false) reports a started song as playing and
// turns to finished only once about mix seconds are left, never at once. The test thread
// polls the player every 100 ms, as the loop driver does.
#include "GstTestSupport.h"

#include <sstream>

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kPollPeriod = 100ms;
// The songs are 5.5 s long: 5 whole seconds, so the look-ahead (whole seconds of length
// minus whole seconds of position) turns at 3.0 s of position, 2.5 s before the end.
constexpr double kEarliestSeconds = 2.5;
constexpr double kLatestSeconds = 3.8;
// Polls stop after this long; the song is over by then anyway.
constexpr auto kWatchLimit = 6500ms;

// A quiet second of 440 Hz, then 440 Hz with pink noise, so a VBR encoder uses low bit
// rates at first and high ones later (as a song with a soft intro does) and a length
// guessed from the first frames is far off.
const MadeMedia& MixStartMedia() {
    static const MadeMedia media("sox -n -r 44100 -c 2 intro.wav synth 1 sine 440 vol 0.05"
                                 " && sox -n -r 44100 -c 2 tone.wav synth 4.5 sine 440 vol 0.4"
                                 " && sox -n -r 44100 -c 2 noise.wav synth 4.5 pinknoise vol 0.4"
                                 " && sox -m tone.wav noise.wav body.wav"
                                 " && sox intro.wav body.wav song.wav"
                                 " && ffmpeg -nostdin -loglevel error -y -i song.wav -c:a mp2"
                                 " -b:a 192k song.mp2"
                                 " && lame --quiet -V 4 -t song.wav vbr-no-xing.mp3"
                                 " && lame --quiet -V 4 song.wav vbr-xing.mp3");
    return media;
}

class PlayerMixStartTest : public ::testing::TestWithParam<const char*> {};

TEST_P(PlayerMixStartTest, TurnsFinishedWhenMixSecondsRemain) {
    if (!MixStartMedia().Ready()) {
        GTEST_SKIP() << "sox, lame or ffmpeg missing";
    }
    ::setenv("MIXOREL_AUDIO_SINK", "fakesink sync=true", 1);
    CMCIPlayer player(MixingEnvironment(std::make_shared<CGstMciContextFactory>()));
    ConfigureMix(player, true, 2); // the fade-in ramp is over after about 1 s
    ASSERT_TRUE(player.Play(MixStartMedia().Path(GetParam())));
    // The song's position starts with the play command, the last one Play sends before
    // the fade-in; time counts from Play's return.
    const auto start = Clock::now();
    std::ostringstream trace; // "seconds:mode" of each poll
    double turnSeconds = -1;  // when GetMode first answered finished
    for (int poll = 0; Clock::now() - start < kWatchLimit; ++poll) {
        const std::int32_t mode = player.GetMode(false);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        trace << seconds << ":" << mode << " ";
        EXPECT_TRUE(poll > 0 || mode == CPlayer::kModePlaying) << "finished at once";
        if (mode == CPlayer::kModeStopped) {
            turnSeconds = seconds;
            break;
        }
        std::this_thread::sleep_until(start + (poll + 1) * kPollPeriod);
    }
    ASSERT_GE(turnSeconds, 0) << "never reported finished: " << trace.str();
    EXPECT_GE(turnSeconds, kEarliestSeconds) << "finished too early: " << trace.str();
    EXPECT_LE(turnSeconds, kLatestSeconds) << "finished too late: " << trace.str();
}

INSTANTIATE_TEST_SUITE_P(Songs, PlayerMixStartTest,
                         ::testing::Values("song.mp2", "vbr-no-xing.mp3", "vbr-xing.mp3"));

} // namespace
