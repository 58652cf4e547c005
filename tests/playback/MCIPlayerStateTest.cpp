#include "PlayerTestFixture.h"

#include "playback/ApplyPlayerSettings.h"
#include "settings/CMemorySettingsStore.h"
#include "settings/CSettings.h"

#include <atomic>
#include <functional>
#include <future>
#include <tuple>

namespace {

class MCIPlayerStateTest : public PlayerTestFixture {
protected:
    std::pair<std::int32_t, std::int32_t> LengthAndPosition() {
        std::pair<std::int32_t, std::int32_t> times{-1, -1};
        EXPECT_TRUE(Player().GetLength(times.first));
        EXPECT_TRUE(Player().GetPosition(times.second));
        return times;
    }
};

} // namespace

class MCIPlayerLookAheadTest : public PlayerTestFixture {
protected:
    CMCIPlayer& PlayingAt(const std::string& positionMs) {
        m_pDevice->SetReply("status mpeg mode", "playing");
        m_pDevice->SetReply("status mpeg length", "200000");
        m_pDevice->SetReply("status mpeg position wait", positionMs);
        return ConnectedPlayer();
    }
};

// ---- mode and the mix look-ahead --------------------------------------------------------

// With mixing a song counts as ended when mix seconds remain, or when its length is not
// known; without, it plays to its end. The sound itself goes on either way.
TEST_F(MCIPlayerLookAheadTest, WithMixingTheSongCountsAsEndedWhenMixSecondsRemain) {
    struct Case {
        bool mix;
        std::string length;
        std::string position;
        std::int32_t mode;
    };
    CMCIPlayer& player = PlayingAt("0");
    player.SetMixSeconds(5);
    for (const Case& c : {Case{true, "200000", "194999", CPlayer::kModePlaying},
                          Case{true, "200000", "195000", CPlayer::kModeStopped},
                          Case{false, "200000", "199000", CPlayer::kModePlaying},
                          Case{true, "", "1000", CPlayer::kModeStopped}}) {
        SCOPED_TRACE(c.position);
        player.SetMixEnabled(c.mix);
        m_pDevice->SetReply("status mpeg length", c.length);
        m_pDevice->SetReply("status mpeg position wait", c.position);
        EXPECT_EQ(player.GetMode(false), c.mode);
        EXPECT_EQ(player.IsActive(false), c.mode == CPlayer::kModePlaying);
        EXPECT_TRUE(player.IsActive(true));
    }
    std::int32_t length = -1;
    EXPECT_TRUE(player.GetLength(length));
    EXPECT_EQ(length, 0) << "a zero-length reply gives length 0";
}

// Without a worker everything is stopped; with one the mode is the status reply's.
TEST_F(MCIPlayerLookAheadTest, ModesFromTheStatusReply) {
    std::string reply;
    EXPECT_FALSE(Player().SendCommand("status mpeg mode", reply));
    EXPECT_FALSE(Player().IsActive(true));
    EXPECT_TRUE(Player().Stop() && Player().Skip());
    EXPECT_EQ(Player().GetMode(true), CPlayer::kModeStopped);
    CMCIPlayer& player = PlayingAt("0");
    for (const auto& [text, error, mode] : {std::tuple{"Paused", 0, CPlayer::kModePaused},
                                            {"stopped", 0, CPlayer::kModeStopped},
                                            {"", 263, CPlayer::kModeStopped}}) {
        m_pDevice->SetReply("status mpeg mode", text, error);
        EXPECT_EQ(player.GetMode(true), mode);
        EXPECT_EQ(player.IsActive(true), mode == CPlayer::kModePaused);
    }
}

// ---- lengths, positions, title, status text ----------------------------------------------

// Those of files are whole seconds.
TEST_F(MCIPlayerStateTest, LengthsAndPositionsOfCdTracksReadMinutesAndSeconds) {
    m_pDevice->SetReply("status mpeg length", "221999");
    m_pDevice->SetReply("status mpeg position wait", "96500");
    ASSERT_TRUE(ConnectedPlayer().Play("/music/song.mp3"));
    EXPECT_EQ(LengthAndPosition(), (std::pair{221, 96}));
    m_pDevice->SetReply("status mpeg length track 7", "03:41:10");
    m_pDevice->SetReply("status mpeg position wait", "07:02:05:10");
    ASSERT_TRUE(Player().Play("/media/cdrom/Track07.cda"));
    // The track field comes before the minutes.
    EXPECT_EQ(LengthAndPosition(), (std::pair{221, 2 * 60 + 5}));
}

// The title is the file name of the device's file; a reply without a separator is used
// whole, an empty one gives the current path.
TEST_F(MCIPlayerStateTest, StatusTextShowsStateRemainingAndTotalTimeAndTitle) {
    CMCIPlayer& player = ConnectedPlayer();
    std::string text;
    EXPECT_TRUE(player.GetStatusText(text));
    EXPECT_EQ(text, "Stopped");
    EXPECT_FALSE(player.GetTitle(text));
    EXPECT_EQ(text, "");

    m_pDevice->SetReply("status mpeg mode", "playing");
    m_pDevice->SetReply("status mpeg length", "221000");
    m_pDevice->SetReply("status mpeg position wait", "96000");
    m_pDevice->SetReply("info mpeg file", "/music/song.mp3");
    EXPECT_TRUE(player.GetStatusText(text));
    EXPECT_EQ(text, "Playing 2:05/3:41 [song.mp3]");
    m_pDevice->SetReply("status mpeg mode", "paused");
    m_pDevice->SetReply("status mpeg position wait", "215000");
    EXPECT_TRUE(player.GetStatusText(text));
    EXPECT_EQ(text, "Paused 0:06/3:41 [song.mp3]");

    ASSERT_TRUE(player.Play("/music/sub/song.mp3"));
    for (const auto& [reply, name] : {std::pair{"/music/sub/song.mp3", "song.mp3"},
                                      {"plain name.mp3", "plain name.mp3"},
                                      {"", "/music/sub/song.mp3"}}) {
        m_pDevice->SetReply("info mpeg file", reply);
        EXPECT_TRUE(player.GetTitle(text));
        EXPECT_EQ(text, name);
    }
}

// ---- the exchange limit --------------------------------------------------------------------

TEST_F(MCIPlayerStateTest, ADeviceThatNeverAnswersCostsOneReplyLimitAndAnEmptyReply) {
    m_environment.replyTimeout = 150ms;
    m_pDevice->SetReply("status mpeg length", "5000");
    m_pDevice->SetReply("status mpeg mode", "playing");
    m_pDevice->Block("status mpeg length");
    CMCIPlayer& player = ConnectedPlayer();

    const auto start = std::chrono::steady_clock::now();
    std::string reply = "old";
    EXPECT_TRUE(player.SendCommand("status mpeg length", reply)) << "a time-out counts as done";
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(reply, "");
    EXPECT_GE(elapsed, 140ms);
    EXPECT_LT(elapsed, 2000ms);

    std::int32_t length = -1;
    EXPECT_TRUE(player.GetLength(length));
    EXPECT_EQ(length, 0);
    m_pDevice->Unblock();
    EXPECT_TRUE(player.SendCommand("status mpeg mode", reply));
    EXPECT_EQ(reply, "playing") << "the late replies do not answer later commands";
}

// ---- reference count, ending, destruction ---------------------------------------------------

TEST_F(MCIPlayerStateTest, ReleaseOfTheLastDocumentEndsTheWorker) {
    CMCIPlayer& player = ConnectedPlayer();
    EXPECT_EQ(player.AddRef(), 1);
    EXPECT_EQ(player.DecRef(), 0) << "DecRef only counts";
    EXPECT_EQ(player.AddRef(), 1);
    EXPECT_EQ(player.AddRef(), 2);
    EXPECT_EQ(player.Release(), 1);
    EXPECT_TRUE(player.IsWorkerAlive());
    EXPECT_EQ(player.Release(), 1) << "the result of EndWorker";
    EXPECT_FALSE(player.IsWorkerAlive());
    EXPECT_TRUE(WaitForLiveWorkers(m_nLiveBefore, 3000ms));
    EXPECT_EQ(m_pDevice->Commands(0), kStopClose);
    EXPECT_TRUE(player.EndWorker()) << "no worker: nothing to end";
}

TEST_F(MCIPlayerStateTest, DestructionDuringAMixEndsBothWorkersAndFreesBothDevices) {
    // Slow ramps (speed 1, 20 steps of 100 ms) that destruction must cut short.
    m_environment.pSleeper = std::make_shared<TestSleeper>(10);
    CMCIPlayer& player = ConnectedPlayer();
    player.SetMixType(42);
    player.SetMixSpeed(1);
    ASSERT_TRUE(player.Play("/music/first.mp3"));
    player.SetMixEnabled(true);
    ASSERT_TRUE(player.Play("/music/second.mp3"));
    ASSERT_TRUE(m_pDevice->WaitForCommand(0, "setaudio mpeg left volume to 950 wait", 3000ms));
    ASSERT_TRUE(m_pDevice->WaitForCommand(1, "setaudio mpeg left volume to 50 wait", 3000ms));
    EXPECT_EQ(CMCIThread::LiveWorkers(), m_nLiveBefore + 2);

    const auto start = std::chrono::steady_clock::now();
    m_pPlayer.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3000ms);
    EXPECT_EQ(CMCIThread::LiveWorkers(), m_nLiveBefore);
    EXPECT_EQ(m_pDevice->ContextsAlive(), 0);
    for (int context = 0; context < 2; ++context) {
        const auto commands = m_pDevice->Commands(context);
        ASSERT_GE(commands.size(), 2u);
        EXPECT_EQ(Texts(commands.end() - 2, commands.end()), kStopClose);
    }
}

// ---- settings and threads --------------------------------------------------------------------

TEST_F(MCIPlayerStateTest, ApplyPlayerSettingsHandsOverTheFourMixValues) {
    CMemorySettingsStore store;
    CSettings settings(store);
    settings.Load();
    CMCIPlayer& player = Player();
    const auto mix = [&] {
        ApplyPlayerSettings(player, settings);
        return std::tuple(player.IsMixEnabled(), player.GetMixSeconds(), player.GetMixSpeed(),
                          player.GetMixType());
    };
    EXPECT_EQ(player.GetMixSeconds(), 20) << "before any settings";
    EXPECT_EQ(mix(), std::tuple(true, 5, 10, 0));
    settings.m_bUseMixer = 2; // only 1 switches mixing on
    settings.m_nMixSeconds = 8;
    settings.m_nMixSpeed = 17;
    settings.m_nMixType = 3;
    EXPECT_EQ(mix(), std::tuple(false, 8, 17, 3));
}

TEST_F(MCIPlayerStateTest, ThreadsPollingWhileMixedStartsRunSeeConsistentModes) {
    m_pDevice->SetReply("status mpeg mode", "playing");
    m_pDevice->SetReply("status mpeg length", "200000");
    m_pDevice->SetReply("status mpeg position wait", "1000");
    m_pDevice->SetReply("info mpeg file", "/music/song.mp3");
    CMCIPlayer& player = ConnectedPlayer();
    player.SetMixEnabled(true);
    player.SetMixSeconds(5);
    std::atomic<bool> done{false};
    std::atomic<int> started{0};
    std::atomic<int> modePolls{0};
    const auto poller = [&](std::function<void()> poll) {
        return std::async(std::launch::async, [&, poll] {
            ++started;
            while (!done.load()) {
                poll();
            }
        });
    };
    auto modes = poller([&] {
        const std::int32_t mode = player.GetMode(false);
        EXPECT_TRUE(mode == CPlayer::kModeStopped || mode == CPlayer::kModePlaying);
        std::string text;
        player.GetStatusText(text);
        ++modePolls;
    });
    auto active = poller([&] { player.IsActive(true); });
    EXPECT_TRUE(WaitFor([&] { return started.load() == 2; }));
    for (int song = 0; song < 4; ++song) {
        EXPECT_TRUE(player.Play("/music/song" + std::to_string(song) + ".mp3"));
    }
    player.Skip();
    done.store(true);
    modes.get();
    active.get();
    EXPECT_GT(modePolls.load(), 0);
    EXPECT_TRUE(WaitForLiveWorkers(m_nLiveBefore + 1, 5000ms)) << "previous workers end";
}
