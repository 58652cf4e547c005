#include "MprisTestSupport.h"

#include "platform/mpris/CMprisRemoteLink.h"
#include "playback/CWinampPlayer.h"

namespace {

// Players that answer nonsense or leave in the middle of a call: every operation goes
// on without a crash and reads what it cannot understand as nothing.
class MprisBadPlayerTest : public ::testing::Test {
protected:
    using Reading = std::tuple<std::int32_t, std::int32_t, std::int32_t, std::string>;

    // Starts the scripted player that mode names and connects to it.
    void Connect(const std::string& mode) {
        ASSERT_TRUE(m_link.IsBusConnected()) << "run under dbus-run-session";
        ASSERT_TRUE(m_child.Start({"/proc/self/exe", "--serve-player", mode},
                                  m_dir.File("player.log"), {}));
        ASSERT_TRUE(WaitFor([&] { return m_link.EnumWindows().size() == 1; }, 5s));
        ASSERT_TRUE(m_player.Connect(-1, false));
    }
    // The mode (raw), position, length and title the player reads.
    Reading Read() {
        Reading read{m_player.GetMode(true), -1, -1, "x"};
        m_player.GetPosition(std::get<1>(read));
        m_player.GetLength(std::get<2>(read));
        m_player.GetTitle(std::get<3>(read));
        return read;
    }
    const Reading m_nothing{CPlayer::kModeStopped, 0, 0, ""};

    TempDir m_dir;
    ChildProcess m_child;
    CMprisRemoteLink m_link;
    CWinampPlayer m_player{std::shared_ptr<IRemotePlayerLink>(&m_link, [](IRemotePlayerLink*) {})};
};

class MprisWrongAnswerTest : public MprisBadPlayerTest,
                             public ::testing::WithParamInterface<const char*> {};

TEST_P(MprisWrongAnswerTest, WrongAnswersReadAsNothing) {
    ASSERT_NO_FATAL_FAILURE(Connect(GetParam()));

    EXPECT_EQ(Read(), m_nothing);
    m_player.SetVolume(-1, 100);
    m_player.VolumeUp();
    m_player.VolumeDown();
    m_player.PlayFrom(3);
    m_player.PauseResume();
    m_player.Stop();
    m_player.Enqueue("/a.mp3");
    EXPECT_TRUE(m_player.Play("/music/a.mp3"));
    // Told to play, it counts as playing while it may still be loading.
    EXPECT_EQ((std::tuple{m_player.GetMode(true), m_player.IsConnected()}),
              std::tuple(CPlayer::kModePlaying, true));
}

TEST_F(MprisBadPlayerTest, APlayerThatLeavesMidCallIsForgotten) {
    ASSERT_NO_FATAL_FAILURE(Connect("vanish"));
    m_player.Play("/music/a.mp3"); // the player exits without answering
    EXPECT_TRUE(WaitFor([&] { return !m_player.IsConnected(); }, 5s));
    EXPECT_EQ(Read(), m_nothing);
}

INSTANTIATE_TEST_SUITE_P(Answers, MprisWrongAnswerTest,
                         ::testing::Values("wrongtypes", "wrongmeta"));

} // namespace
