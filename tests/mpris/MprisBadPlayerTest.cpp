#include "MprisTestSupport.h"

#include "platform/mpris/CMprisRemoteLink.h"
#include "playback/CWinampPlayer.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using MprisTestSupport::WaitFor;

namespace {

// Players that answer nonsense or leave in the middle of a call: every operation goes
// on without a crash and reads what it cannot understand as nothing.
class MprisBadPlayerTest : public ::testing::Test {
protected:
    bool StartPlayer(const std::string& mode) {
        return m_child.Start({MprisTestSupport::SelfPath(), "--serve-player", mode},
                             m_dir.File("player.log"), {}) &&
               WaitFor([&] { return m_link.EnumWindows().size() == 1; }, 5s);
    }

    TempDir m_dir;
    ChildProcess m_child;
    CMprisRemoteLink m_link;
};

class MprisWrongAnswerTest : public MprisBadPlayerTest,
                             public ::testing::WithParamInterface<const char*> {};

TEST_P(MprisWrongAnswerTest, WrongAnswersReadAsNothing) {
    ASSERT_TRUE(m_link.IsBusConnected()) << "run under dbus-run-session";
    ASSERT_TRUE(StartPlayer(GetParam()));
    CWinampPlayer player(std::shared_ptr<IRemotePlayerLink>(&m_link, [](IRemotePlayerLink*) {}));
    ASSERT_TRUE(player.Connect(-1, false));

    EXPECT_EQ(player.GetMode(true), CPlayer::kModeStopped);
    std::int32_t seconds = -1;
    player.GetPosition(seconds);
    EXPECT_EQ(seconds, 0);
    player.GetLength(seconds);
    EXPECT_EQ(seconds, 0);
    std::string title = "x";
    player.GetTitle(title);
    EXPECT_EQ(title, "");
    player.SetVolume(-1, 100);
    player.VolumeUp();
    player.VolumeDown();
    player.PlayFrom(3);
    player.PauseResume();
    player.Stop();
    player.Enqueue("/a.mp3");
    EXPECT_TRUE(player.Play("/music/a.mp3"));
    // Told to play, it counts as playing while it may still be loading.
    EXPECT_EQ(player.GetMode(true), CPlayer::kModePlaying);
    EXPECT_TRUE(player.IsConnected());
}

TEST_F(MprisBadPlayerTest, APlayerThatLeavesMidCallIsForgotten) {
    ASSERT_TRUE(m_link.IsBusConnected()) << "run under dbus-run-session";
    ASSERT_TRUE(StartPlayer("vanish"));
    CWinampPlayer player(std::shared_ptr<IRemotePlayerLink>(&m_link, [](IRemotePlayerLink*) {}));
    ASSERT_TRUE(player.Connect(-1, false));
    player.Play("/music/a.mp3"); // the player exits without answering
    EXPECT_TRUE(WaitFor([&] { return !player.IsConnected(); }, 5s));
    EXPECT_EQ(player.GetMode(true), CPlayer::kModeStopped);
    std::string title = "x";
    player.GetTitle(title);
    EXPECT_EQ(title, "");
}

INSTANTIATE_TEST_SUITE_P(Answers, MprisWrongAnswerTest,
                         ::testing::Values("wrongtypes", "wrongmeta"));

} // namespace
