#include "FakeRemotePlayerLink.h"

#include "platform/remote/RemoteMessages.h"
#include "playback/CWinampPlayer.h"
#include "playback/ISleeper.h"
#include "settings/CMemorySettingsStore.h"
#include "settings/ProcessSettingsStore.h"
#include "settings/SettingsKeys.h"

#include <atomic>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <thread>

namespace Msg = RemoteMessages;
namespace Keys = SettingsKeys;
using Message = FakeRemotePlayerLink::Message;

namespace {

// A clock that moves only when the player sleeps, so the wait for a started player runs
// its 10 s at once.
class SteppedTime : public ISleeper {
public:
    void Sleep(std::chrono::milliseconds duration) override {
        std::lock_guard lock(m_mutex);
        m_now += duration;
        ++m_nSleeps;
    }
    std::chrono::steady_clock::time_point Now() const {
        std::lock_guard lock(m_mutex);
        return m_now;
    }
    int Sleeps() const {
        std::lock_guard lock(m_mutex);
        return m_nSleeps;
    }

private:
    mutable std::mutex m_mutex;
    std::chrono::steady_clock::time_point m_now{};
    int m_nSleeps = 0;
};

Message Ipc(RemoteWindow hWindow, std::int64_t nCode, std::int64_t nParam, bool bPosted = false) {
    return Message{hWindow, Msg::kWmUser, nParam, nCode, bPosted, {}};
}
Message Button(RemoteWindow hWindow, std::int64_t nButton, bool bPosted = false) {
    return Message{hWindow, Msg::kWmCommand, nButton, 0, bPosted, {}};
}

class WinampPlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_pStore = std::make_shared<CMemorySettingsStore>();
        SetSettingsStore(m_pStore);
        m_pLink = std::make_shared<FakeRemotePlayerLink>();
        m_pTime = std::make_shared<SteppedTime>();
        CWinampPlayer::Environment environment;
        environment.pSleeper = m_pTime;
        environment.now = [time = m_pTime] { return time->Now(); };
        m_pPlayer = std::make_unique<CWinampPlayer>(m_pLink, environment);
    }
    void TearDown() override { SetSettingsStore(nullptr); }

    void Settings(const std::string& path, int nStart, int nClose) {
        m_pStore->WriteProfileString(Keys::kSectionWinamp, Keys::kWinampPath, path);
        m_pStore->WriteProfileInt(Keys::kSectionGlobal, Keys::kStartWinamp, nStart);
        m_pStore->WriteProfileInt(Keys::kSectionGlobal, Keys::kCloseWinamp, nClose);
    }
    // A running player whose message window the player holds.
    RemoteWindow Connected(std::int64_t nVersion = 0x2095) {
        m_pLink->SetVersion(nVersion);
        const RemoteWindow window = m_pLink->AddWindow("Winamp v1.x", "1. Song - Winamp");
        EXPECT_TRUE(m_pPlayer->Connect(-1, true));
        EXPECT_EQ(m_pPlayer->GetWindow(), window);
        m_pLink->ClearMessages();
        return window;
    }
    // The messages sent since the last look.
    std::vector<Message> Sent() {
        const auto messages = m_pLink->Messages();
        m_pLink->ClearMessages();
        return messages;
    }
    // The one message sent since the last look (the test fails when there were others).
    Message Only() {
        const auto messages = Sent();
        EXPECT_EQ(messages.size(), 1u);
        return messages.empty() ? Message{} : messages.front();
    }

    std::shared_ptr<CMemorySettingsStore> m_pStore;
    std::shared_ptr<FakeRemotePlayerLink> m_pLink;
    std::shared_ptr<SteppedTime> m_pTime;
    std::unique_ptr<CWinampPlayer> m_pPlayer;
};

// An older version starts the file sent with a start message, the newer class with its
// Next button.
TEST_F(WinampPlayerTest, PlayStartsAnOlderVersionWithStartPlay) {
    for (const std::int64_t version : {0x2095, 0x3000}) {
        m_pLink->RemoveWindows();
        const RemoteWindow window = Connected(version);
        EXPECT_EQ(m_pPlayer->GetStoredVersion(), version);
        ASSERT_TRUE(m_pPlayer->Play("/music/dir/song one.mp3"));
        const Message file{window,
                           Msg::kWmCopyData,
                           Msg::kIpcPlayFile,
                           0,
                           false,
                           std::string("/music/dir/song one.mp3") + '\0'};
        EXPECT_EQ(Sent(), (std::vector{Ipc(window, Msg::kIpcDelete, 0), file,
                                       version < 0x3000 ? Ipc(window, Msg::kIpcStartPlay, 0)
                                                        : Button(window, Msg::kButtonNext)}));
        EXPECT_EQ(m_pPlayer->GetLastTitle(), "song one.mp3");
        EXPECT_EQ(m_pPlayer->GetMode(true), CPlayer::kModePlaying);
    }
    m_pPlayer->Play("no-folder.mp3");
    EXPECT_EQ(m_pPlayer->GetLastTitle(), "no-folder.mp3");

    // A root window of the newer class marks the version before the window answers.
    m_pLink->SetVersion(0x5000);
    m_pLink->AddWindow("BaseWindow_RootWnd");
    CWinampPlayer fresh(m_pLink);
    ASSERT_TRUE(fresh.Connect(-1, false));
    EXPECT_EQ(fresh.GetStoredVersion(), 0x5000);
}

TEST_F(WinampPlayerTest, VolumeIsClampedToTheRemoteRange) {
    const RemoteWindow window = Connected();
    for (const auto& [level, sent] : {std::pair{300, 255}, {-5, 0}, {128, 128}, {255, 255}}) {
        EXPECT_TRUE(m_pPlayer->SetVolume(-1, level));
        EXPECT_EQ(Only(), Ipc(window, Msg::kIpcSetVolume, sent)) << level;
    }
}

TEST_F(WinampPlayerTest, TimesAreReadInWholeSeconds) {
    const RemoteWindow window = Connected();
    m_pLink->SetPositionMs(61999);
    m_pLink->SetLengthSeconds(241);
    std::pair<std::int32_t, std::int32_t> times{-1, -1};
    EXPECT_TRUE(m_pPlayer->GetPosition(times.first) && m_pPlayer->GetLength(times.second));
    EXPECT_EQ(times, (std::pair{61, 241}));
    EXPECT_EQ(Sent(), (std::vector{Ipc(window, Msg::kIpcGetOutputTime, 0),
                                   Ipc(window, Msg::kIpcGetOutputTime, 1)}));
    EXPECT_TRUE(m_pPlayer->PlayFrom(95));
    EXPECT_EQ(Only(), Ipc(window, Msg::kIpcJumpToTime, 95000, true));
}

TEST_F(WinampPlayerTest, SecondConnectTrustsAPlayerThatAnswersWell) {
    const RemoteWindow window = Connected(5807);
    const int enumerations = m_pLink->EnumCount();
    EXPECT_TRUE(m_pPlayer->Connect(3, true));
    EXPECT_EQ(m_pLink->EnumCount(), enumerations);
    EXPECT_EQ(Only(), Ipc(window, Msg::kIpcGetVersion, 0));
    EXPECT_EQ(m_pPlayer->GetIndex(), 3);

    // Below that version the player searches again.
    m_pLink->SetVersion(5806);
    EXPECT_TRUE(m_pPlayer->Connect(-1, true));
    EXPECT_EQ(m_pLink->EnumCount(), enumerations + 1);
}

TEST_F(WinampPlayerTest, ConnectWithNothingRunningFailsUnlessItMayStartThePlayer) {
    m_pLink->ScriptStart(42, "Winamp v1.x", 2);

    Settings("/usr/bin/player", 0, 1); // "startwinamp" off
    EXPECT_FALSE(m_pPlayer->Connect(-1, true));
    Settings("", 1, 1); // no path
    EXPECT_FALSE(m_pPlayer->Connect(-1, true));
    Settings("/usr/bin/player", 1, 1);
    EXPECT_FALSE(m_pPlayer->Connect(-1, false)); // not asked to start
    EXPECT_TRUE(m_pLink->StartedPrograms().empty());
    EXPECT_EQ(m_pLink->EnumCount(), 0);
    EXPECT_EQ(m_pPlayer->GetWindow(), 0u);

    // With an index the search runs without a start and finds nothing.
    EXPECT_FALSE(m_pPlayer->Connect(2, true));
    EXPECT_TRUE(m_pLink->StartedPrograms().empty());
    EXPECT_EQ(m_pLink->EnumCount(), 1);

    // Allowed: the program starts and its window shows on the third look.
    EXPECT_TRUE(m_pPlayer->Connect(-1, true));
    EXPECT_EQ(m_pLink->StartedPrograms(), std::vector<std::string>{"/usr/bin/player"});
    EXPECT_NE(m_pPlayer->GetWindow(), 0u);
    EXPECT_EQ(m_pPlayer->GetStoredVersion(), 0x2095);
    EXPECT_EQ(m_pTime->Sleeps(), 3);
}

TEST_F(WinampPlayerTest, StartThatFailsOrNeverShowsAWindow) {
    Settings("/usr/bin/player", 1, 1);
    m_pLink->ScriptStart(2, "Winamp v1.x", 0); // the shell could not start it
    EXPECT_FALSE(m_pPlayer->Connect(-1, true));
    EXPECT_EQ(m_pTime->Sleeps(), 0);

    // Started, but no window within 10 s: the search decides, and finds nothing.
    m_pLink->ScriptStart(42, "Winamp v1.x", -1);
    const auto before = m_pTime->Now();
    EXPECT_FALSE(m_pPlayer->Connect(-1, true));
    EXPECT_EQ(m_pTime->Now() - before, std::chrono::milliseconds(10000));
    EXPECT_EQ(m_pPlayer->GetWindow(), 0u);

    // A newer-class root window ends the wait; without a message window there is no
    // candidate.
    m_pLink->ScriptStart(42, "BaseWindow_RootWnd", 1);
    EXPECT_FALSE(m_pPlayer->Connect(-1, true));
    EXPECT_EQ(m_pPlayer->GetStoredVersion(), 0x3000);
}

TEST_F(WinampPlayerTest, SearchTakesTheFirstWindowWhoseClassHoldsTheMessageClass) {
    EXPECT_FALSE(m_pPlayer->Play("/a.mp3")) << "no player yet";
    EXPECT_TRUE(m_pLink->Messages().empty());
    m_pLink->AddWindow("Shell_TrayWnd");
    const RemoteWindow first = m_pLink->AddWindow("  Winamp v1.x ");
    m_pLink->AddWindow("Winamp v1.x");
    EXPECT_TRUE(m_pPlayer->Connect(-1, false));
    EXPECT_EQ(m_pPlayer->GetWindow(), first);
    EXPECT_TRUE(m_pPlayer->IsConnected());

    // A window that stops answering is forgotten.
    m_pLink->SetVersion(0);
    EXPECT_FALSE(m_pPlayer->IsConnected());
    EXPECT_EQ(m_pPlayer->GetWindow(), 0u);
    EXPECT_FALSE(m_pPlayer->IsAvailable());
}

TEST_F(WinampPlayerTest, ReleaseClosesThePlayerOnlyWhenAsked) {
    const RemoteWindow window = Connected();
    Settings("", 1, 0);
    m_pPlayer->AddRef();
    EXPECT_EQ(m_pPlayer->Release(), 0);
    EXPECT_TRUE(m_pLink->Messages().empty());

    Settings("", 1, 1);
    m_pPlayer->Release();
    EXPECT_EQ(Only(), (Message{window, Msg::kWmClose, 0, 0, true, {}}));

    // Without a held window the first message window is closed; with none, nothing.
    CWinampPlayer other(m_pLink);
    const RemoteWindow found = m_pLink->AddWindow("Winamp v1.x");
    m_pLink->ClearMessages();
    other.Release();
    EXPECT_EQ(Only().hWindow, found);
    other.Release();
    EXPECT_TRUE(m_pLink->Messages().empty());
}

TEST_F(WinampPlayerTest, TransportButtonsAreSentOrPosted) {
    const RemoteWindow w = Connected();
    m_pPlayer->Stop();
    m_pPlayer->FadeStop();
    m_pPlayer->FadeStopWait();
    m_pPlayer->PauseResume();
    m_pPlayer->Skip();
    m_pPlayer->FadeSkip();
    m_pPlayer->VolumeUp();
    m_pPlayer->VolumeDown();
    EXPECT_EQ(Sent(),
              (std::vector{Button(w, Msg::kButtonStop), Button(w, Msg::kButtonFadeOutStop, true),
                           Button(w, Msg::kButtonFadeOutStop), Button(w, Msg::kButtonPause, true),
                           Button(w, Msg::kButtonStop), Button(w, Msg::kButtonFadeOutStop, true),
                           Button(w, Msg::kButtonVolumeUp), Button(w, Msg::kButtonVolumeDown)}));
}

TEST_F(WinampPlayerTest, EnqueueSendsThePathOneByteAtATime) {
    const RemoteWindow window = Connected();
    ASSERT_TRUE(m_pPlayer->Enqueue("/m/\xC3\xA9.mp3"));
    const auto messages = m_pLink->Messages();
    ASSERT_EQ(messages.size(), 1u + 9u + 1u);
    EXPECT_EQ(messages[0], Ipc(window, Msg::kIpcDelete, 0, true));
    EXPECT_EQ(messages[4], Ipc(window, Msg::kIpcPlayFile, 0xC3));
    EXPECT_EQ(messages.back(), Ipc(window, Msg::kIpcPlayFile, 0));
    EXPECT_EQ(m_pLink->FileSent(), "/m/\xC3\xA9.mp3");
}

TEST_F(WinampPlayerTest, ModesTitleAndStatusText) {
    const RemoteWindow window = Connected();
    for (const auto& [state, active] : {std::pair{0, false}, {1, true}, {3, true}}) {
        m_pLink->SetPlayState(state);
        EXPECT_EQ(m_pPlayer->GetMode(false), state);
        EXPECT_EQ(m_pPlayer->IsActive(false), active);
        EXPECT_EQ(m_pPlayer->IsActive(true), active);
    }
    std::string text;
    m_pLink->SetPlayState(0);
    EXPECT_TRUE(m_pPlayer->GetStatusText(text));
    EXPECT_EQ(text, "Stopped");

    m_pLink->SetPlayState(1);
    m_pLink->SetPositionMs(96000);
    m_pLink->SetLengthSeconds(221);
    EXPECT_TRUE(m_pPlayer->GetStatusText(text));
    EXPECT_EQ(text, "Playing 2:05/3:41 [1. Song - Winamp]");

    m_pLink->SetCaption(window, std::string(2000, 'x'));
    std::string title;
    EXPECT_TRUE(m_pPlayer->GetTitle(title));
    EXPECT_EQ(title.size(), CWinampPlayer::kMaxCaptionChars);
}

TEST_F(WinampPlayerTest, ThreadsDriveThePlayerAtOnce) {
    Connected();
    m_pLink->SetPlayState(1);
    std::atomic<bool> bStop{false};
    std::vector<std::thread> threads;
    threads.emplace_back([&] {
        while (!bStop.load()) {
            m_pPlayer->IsActive(false);
            std::int32_t seconds = 0;
            m_pPlayer->GetPosition(seconds);
        }
    });
    threads.emplace_back([&] {
        while (!bStop.load()) {
            std::string text;
            m_pPlayer->GetStatusText(text);
            m_pPlayer->IsConnected();
        }
    });
    for (int i = 0; i < 200; ++i) {
        EXPECT_TRUE(m_pPlayer->Play("/s/" + std::to_string(i) + ".mp3"));
        EXPECT_TRUE(m_pPlayer->Connect(-1, true));
    }
    bStop.store(true);
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(m_pPlayer->GetLastTitle(), "199.mp3");
    EXPECT_EQ(m_pLink->FileSent(), "/s/199.mp3");
}

} // namespace
