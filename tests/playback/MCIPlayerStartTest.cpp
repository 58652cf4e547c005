#include "PlayerTestFixture.h"

#include "playback/PlayerStrings.h"

#include <algorithm>
#include <functional>

namespace {

using MCIPlayerStartTest = PlayerTestFixture;

const std::string kSong = "/music/Artist - Song.mp3";
const std::string kOpenSong = "open \"/music/Artist - Song.mp3\" alias mpeg wait";

const Texts kFileSetup = {"set mpeg seek exactly on wait", "set mpeg time format ms wait",
                          "set mpeg speed 1000 wait"};
const Texts kSilence = {"setaudio mpeg left volume to 0", "setaudio mpeg right volume to 0"};

} // namespace

// ---- plain starts ----------------------------------------------------------------------

TEST_F(MCIPlayerStartTest, ConnectMakesAWorkerAndNamesTheDeviceType) {
    CMCIPlayer& player = Player();
    EXPECT_FALSE(player.IsWorkerAlive());
    ASSERT_TRUE(player.Connect(-1, true));
    EXPECT_TRUE(player.IsWorkerAlive());
    EXPECT_EQ(m_pDevice->Commands(0), (Texts{"new alias mpeg type mpegvideo"}));
    ASSERT_TRUE(player.Connect(-1, true)) << "a live worker is kept";
    EXPECT_EQ(m_pDevice->ContextsMade(), 1);
}

// Without a worker neither a plain nor a mixed start starts anything; a mixed start that
// cannot make its worker keeps the previous one.
TEST_F(MCIPlayerStartTest, StartsFailWhenNoWorkerCanStart) {
    m_pFactory->SetFailing(true);
    EXPECT_FALSE(Player().Connect(-1, true));
    EXPECT_FALSE(Player().Play(kSong));
    EXPECT_TRUE(m_pDevice->Log().empty());
    m_pFactory->SetFailing(false);
    CMCIPlayer& player = ConnectedPlayer();
    player.SetMixEnabled(true);
    m_pFactory->SetFailing(true);
    EXPECT_FALSE(player.Play(kSong));
    EXPECT_TRUE(player.IsWorkerAlive());
}

// Over a playing song, or a worker still fading one out, the new song opens in a worker
// of its own first; then the old one is stopped and its worker ends.
TEST_F(MCIPlayerStartTest, PlainStartOverASongOpensTheNewOneFirstThenStopsTheOld) {
    for (const bool fading : {false, true}) {
        SCOPED_TRACE(fading ? "fading" : "playing");
        m_pDevice->ClearLog();
        m_pDevice->SetReply("status mpeg mode", "playing");
        CMCIPlayer& player = Player();
        ASSERT_TRUE(player.Connect(-1, true));
        if (fading) {
            m_pSleeper->Close(); // the fade-out holds after its first step
            ASSERT_TRUE(player.Play("/music/first.mp3"));
        }
        const int old = m_pDevice->ContextsMade() - 1;
        if (fading) {
            ASSERT_TRUE(player.FadeStop());
            ASSERT_TRUE(m_pSleeper->WaitForSleeps(1, 3000ms));
        }
        ASSERT_TRUE(player.Play(kSong));
        EXPECT_EQ(m_pDevice->Commands(old + 1),
                  Join({{kOpenSong}, kFileSetup, {"play mpeg from 0 notify"}}));
        m_pSleeper->Open();
        ASSERT_TRUE(WaitForLiveWorkers(m_nLiveBefore + 1, 3000ms));
        const auto commands = m_pDevice->Commands(old);
        EXPECT_EQ(Texts(commands.end() - 2, commands.end()), kStopClose);
        EXPECT_EQ(std::count(commands.begin(), commands.end(), "play mpeg from 0 notify"),
                  fading ? 1 : 0)
            << "the new song went to its own worker";
        m_pPlayer.reset();
    }
}

// Only a failed open fails a start; the other commands' errors are ignored.
TEST_F(MCIPlayerStartTest, AFailedOpenFailsTheStartOtherErrorsDoNot) {
    for (const bool mix : {false, true}) {
        CMCIPlayer& player = Player();
        ASSERT_TRUE(player.Connect(-1, true));
        player.SetMixEnabled(mix);
        m_pDevice->SetReply(kOpenSong, "", 275);
        EXPECT_FALSE(player.Play(kSong)) << mix;
        m_pDevice->SetReply(kOpenSong, "");
        m_pDevice->SetReply("set mpeg seek exactly on wait", "", 274);
        EXPECT_TRUE(player.Play(kSong)) << mix;
        m_pPlayer.reset();
    }
}

// ---- mixed starts ----------------------------------------------------------------------

TEST_F(MCIPlayerStartTest, MixedStartOpensSilentlyInANewWorkerAndFadesIn) {
    CMCIPlayer& player = ConnectedPlayer();
    player.SetMixEnabled(true);
    ASSERT_TRUE(player.Play(kSong));
    ASSERT_TRUE(WaitForCount(1, 19));
    ASSERT_TRUE(WaitForLiveWorkers(m_nLiveBefore + 1, 3000ms));

    EXPECT_EQ(m_pDevice->Commands(1), Join({{kOpenSong},
                                            kFileSetup,
                                            kSilence,
                                            {"play mpeg from 0 notify"},
                                            RampSteps({200, 400, 600, 800, 1000}),
                                            {"setaudio mpeg left volume to 1000 wait",
                                             "setaudio mpeg right volume to 1000 wait"}}));
    // The first worker had no song: it stops, closes and ends without a volume step.
    EXPECT_EQ(m_pDevice->Commands(0), Join({kStopAndSilence, {"close mpeg wait"}, kStopClose}));
    EXPECT_TRUE(player.IsWorkerAlive());
}

TEST_F(MCIPlayerStartTest, MixedStartOfASongThatCannotOpenLeavesThePreviousSongAlone) {
    CMCIPlayer& player = ConnectedPlayer();
    player.SetMixEnabled(true);
    m_pDevice->SetReply(kOpenSong, "", 275);
    EXPECT_FALSE(player.Play(kSong));
    ASSERT_TRUE(WaitForLiveWorkers(m_nLiveBefore + 1, 3000ms));
    EXPECT_EQ(m_pDevice->Commands(1), Join({{kOpenSong}, kStopClose}));
    EXPECT_TRUE(m_pDevice->Commands(0).empty()) << "no fade-out for the previous song";
    EXPECT_TRUE(player.IsWorkerAlive()) << "the previous worker stays current";
}

TEST_F(MCIPlayerStartTest, MixedStartFadesTheSongOfAPlainStartOut) {
    CMCIPlayer& player = ConnectedPlayer();
    ASSERT_TRUE(player.Play("/music/first.mp3"));
    m_pDevice->ClearLog();
    player.SetMixEnabled(true);
    ASSERT_TRUE(player.Play(kSong));
    ASSERT_TRUE(WaitForLiveWorkers(m_nLiveBefore + 1, 3000ms));
    // A plain start counts as full volume, so the old song comes down every step.
    EXPECT_EQ(m_pDevice->Commands(0), Join({RampSteps({800, 600, 400, 200, 0}),
                                            kStopAndSilence,
                                            {"close mpeg wait"},
                                            kStopClose}));
    EXPECT_TRUE(m_pDevice->WaitForCommand(1, "play mpeg from 0 notify", 3000ms));
}

TEST_F(MCIPlayerStartTest, MixedStartOfACdTrackEndsThePreviousWorkerAtOnce) {
    CMCIPlayer& player = ConnectedPlayer();
    player.SetMixEnabled(true);
    ASSERT_TRUE(player.Play("/media/cdrom/Track03.cda"));
    ASSERT_TRUE(m_pDevice->WaitForCommand(1, "setaudio mpeg right volume to 1000 wait", 3000ms));
    EXPECT_EQ(m_pDevice->Commands(0), kStopClose);
    const auto commands = m_pDevice->Commands(1);
    ASSERT_GE(commands.size(), 5u);
    EXPECT_EQ(Texts(commands.begin(), commands.begin() + 5),
              Join({{"open cdaudio alias mpeg", "Set mpeg time format TMSF"},
                    kSilence,
                    {"play mpeg from 3 to 4"}}));
}

// ---- stopping ------------------------------------------------------------------------

TEST_F(MCIPlayerStartTest, SkipWhileMixingLetsTheSongPlayOnAndTheNextStartMixesOverIt) {
    CMCIPlayer& player = ConnectedPlayer();
    ASSERT_TRUE(player.Play("/music/first.mp3"));
    m_pDevice->SetReply("status mpeg mode", "playing");
    m_pDevice->SetReply("status mpeg length", "200000");
    m_pDevice->SetReply("status mpeg position wait", "10000");
    player.SetMixEnabled(true);
    m_pDevice->ClearLog();

    ASSERT_TRUE(player.Skip());
    EXPECT_EQ(player.GetMode(false), CPlayer::kModeStopped);
    EXPECT_FALSE(player.IsActive(false));
    EXPECT_EQ(player.GetMode(true), CPlayer::kModePlaying) << "the sound goes on";
    for (const std::string& command : m_pDevice->Commands(0)) {
        EXPECT_EQ(command, "status mpeg mode") << "nothing but status queries after Skip";
    }

    ASSERT_TRUE(player.Play(kSong));
    EXPECT_TRUE(m_pDevice->WaitForCommand(0, "setaudio mpeg left volume to 800 wait", 3000ms));
    EXPECT_TRUE(m_pDevice->WaitForCommand(1, "play mpeg from 0 notify", 3000ms));
    EXPECT_TRUE(player.IsActive(false)) << "Play clears the pending stop";
}

// ---- what each operation sends ---------------------------------------------------------

// A start of a file, a pause and a resume, a volume change and a seek, the stops (the song
// ends at once, or while mixing is only marked as ended) and a start of a CD track, from
// the track to the next, which cannot pause.
TEST_F(MCIPlayerStartTest, CommandsOfEachOperation) {
    const Texts mode = {"status mpeg mode"};
    const Texts stopClose = {"status mpeg mode", "stop mpeg wait", "close mpeg"};
    CMCIPlayer& player = ConnectedPlayer();
    const auto sent = [&](const char* reply, const std::function<bool()>& action) {
        m_pDevice->SetReply("status mpeg mode", reply);
        m_pDevice->ClearLog();
        EXPECT_TRUE(action());
        return m_pDevice->Commands(0);
    };
    std::int32_t version = 7;
    EXPECT_EQ(sent("playing",
                   [&] {
                       return player.GetVersion(version) && player.FadeStopWait() &&
                              player.Enqueue(kSong) && player.IsAvailable() &&
                              player.IsConnected() && player.VolumeUp() && player.VolumeDown();
                   }),
              Texts{})
        << "operations that do nothing";
    EXPECT_EQ(
        sent("stopped", [&] { return player.Play(kSong); }),
        Join({mode, {"close mpeg wait", kOpenSong}, kFileSetup, {"play mpeg from 0 notify"}}));
    EXPECT_EQ(sent("playing", [&] { return player.PauseResume(); }), Join({mode, {"pause mpeg"}}));
    EXPECT_EQ(sent("paused", [&] { return player.PauseResume(); }), Join({mode, {"resume mpeg"}}));
    EXPECT_EQ(sent("", [&] { return player.SetVolume(-1, 250) && player.PlayFrom(42); }),
              (Texts{"setaudio mpeg left volume to 750", "setaudio mpeg right volume to 750",
                     "play mpeg from 42000 notify"}));
    EXPECT_EQ(sent("playing", [&] { return player.Stop(); }), stopClose);
    EXPECT_EQ(sent("stopped", [&] { return player.Stop(); }), mode);
    EXPECT_EQ(sent("playing", [&] { return player.Skip(); }), Join({mode, stopClose}));
    EXPECT_EQ(sent("stopped", [&] { return player.Play("/media/cdrom/Track07.cda"); }),
              (Texts{"status mpeg mode", "open cdaudio alias mpeg", "Set mpeg time format TMSF",
                     "play mpeg from 7 to 8"}));
    int shown = 0;
    std::string text;
    player.SetMessageSink([&](int nId, std::string_view message) {
        shown = nId;
        text = message;
    });
    EXPECT_FALSE(player.PauseResume());
    EXPECT_EQ(shown, 132);
    EXPECT_EQ(text, PlayerStrings::kCdPauseUnavailable);
    EXPECT_EQ(sent("playing", [&] { return player.FadeStop(); }), stopClose) << "a CD track";
    player.SetMixEnabled(true);
    EXPECT_EQ(sent("playing", [&] { return player.FadeSkip(); }), mode);
    EXPECT_EQ(player.GetMode(false), CPlayer::kModeStopped) << "the fade skip marked the song";
}
