#include "MprisTestSupport.h"

#include "platform/mpris/CMprisRemoteLink.h"
#include "platform/remote/RemoteMessages.h"
#include "playback/CWinampPlayer.h"
#include "settings/CMemorySettingsStore.h"
#include "settings/ProcessSettingsStore.h"
#include "settings/SettingsKeys.h"

#include <csignal>
#include <filesystem>
#include <fstream>

namespace Keys = SettingsKeys;
using TestFiles::ShellQuote;

namespace {

// A quiet, idle mpv that shows itself on the bus through the mpris script of mpv-mpris;
// empty when that is not installed.
std::string MpvCommand() {
    std::error_code error;
    for (const char* script : {"/usr/lib/mpv-mpris/mpris.so", "/etc/mpv/scripts/mpris.so"}) {
        if (std::filesystem::exists(script, error)) {
            return std::string("mpv --no-config --idle=yes --ao=null --no-video --no-terminal "
                               "--script=") +
                   script;
        }
    }
    return {};
}

// Drives a real mpv (with mpv-mpris) on the private session bus through the remote back
// end, as the program does.
class MprisLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string missing = MpvCommand().empty() ? " mpv-mpris" : "";
        for (const char* tool : {"mpv", "sox", "lame"}) {
            missing += TestFiles::HaveTool(tool) ? "" : std::string(" ") + tool;
        }
        if (!missing.empty()) {
            ASSERT_STRNE(std::getenv("CI"), "true") << "missing in CI:" << missing;
            GTEST_SKIP() << "missing:" << missing;
        }
        m_pStore = std::make_shared<CMemorySettingsStore>();
        SetSettingsStore(m_pStore);
        m_pLink = std::make_shared<CMprisRemoteLink>();
        ASSERT_TRUE(m_pLink->IsBusConnected()) << "run under dbus-run-session";
        m_pPlayer = std::make_unique<CWinampPlayer>(m_pLink);
    }
    void TearDown() override {
        // A player this test started and did not close is ended by its process id.
        std::ifstream pidFile(m_dir.File("mpv.pid"));
        if (long pid = 0; pidFile >> pid && pid > 0) {
            ::kill(static_cast<pid_t>(pid), SIGKILL);
        }
        m_pPlayer.reset();
        m_pLink.reset();
        SetSettingsStore(nullptr);
    }

    // "winamppath": a script that notes its process id and becomes mpv.
    void Settings(int nStart, int nClose) {
        const std::string script = m_dir.File("start-mpv");
        std::ofstream(script) << "#!/bin/sh\necho $$ > " << ShellQuote(m_dir.File("mpv.pid"))
                              << "\nexec " << MpvCommand() << "\n";
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
        m_pStore->WriteProfileString(Keys::kSectionWinamp, Keys::kWinampPath, script);
        m_pStore->WriteProfileInt(Keys::kSectionGlobal, Keys::kStartWinamp, nStart);
        m_pStore->WriteProfileInt(Keys::kSectionGlobal, Keys::kCloseWinamp, nClose);
    }
    std::int32_t Position() {
        std::int32_t seconds = -1;
        m_pPlayer->GetPosition(seconds);
        return seconds;
    }
    // An mpv started by the test, once it shows on the bus.
    bool StartMpv(ChildProcess& mpv) {
        return mpv.Start({"/bin/sh", "-c", "exec " + MpvCommand()}, "/dev/null", {}) &&
               WaitFor([&] { return m_pLink->FindWindow("Winamp v1.x") != 0; }, 5s);
    }
    bool ModeBecomes(std::int32_t nMode, std::chrono::milliseconds limit = 5s) {
        return WaitFor([&] { return m_pPlayer->GetMode(true) == nMode; }, limit);
    }

    TempDir m_dir;
    std::shared_ptr<CMemorySettingsStore> m_pStore;
    std::shared_ptr<CMprisRemoteLink> m_pLink;
    std::unique_ptr<CWinampPlayer> m_pPlayer;
};

TEST_F(MprisLinkTest, StartsThePlayerPlaysSeeksAndClosesIt) {
    const std::string tagged = m_dir.File("tagged.mp3");
    const std::string plain = m_dir.File("plain name.mp3");
    ASSERT_TRUE(TestFiles::WriteSineMp3(tagged, 8, 440, "--tt 'Remote Song'"));
    ASSERT_TRUE(TestFiles::WriteSineMp3(plain, 2, 440));
    Settings(1, 1);
    ASSERT_EQ(m_pLink->FindWindow("Winamp v1.x"), 0u) << "a player is already on the bus";

    // Nothing runs: Connect starts "winamppath" and waits for it on the bus.
    ASSERT_TRUE(m_pPlayer->Connect(-1, true));
    EXPECT_EQ(
        (std::tuple{m_pPlayer->GetWindow() != 0, m_pPlayer->GetStoredVersion(),
                    m_pPlayer->IsConnected(), m_pPlayer->IsAvailable(), m_pPlayer->GetMode(true)}),
        std::tuple(true, 0x2095, true, true, CPlayer::kModeStopped));

    ASSERT_TRUE(m_pPlayer->Play(tagged));
    EXPECT_TRUE(m_pPlayer->IsActive(false)); // at once, though the player still loads
    ASSERT_TRUE(WaitFor([&] { return Position() >= 1; }, 5s));
    EXPECT_EQ(m_pPlayer->GetMode(true), CPlayer::kModePlaying);
    std::int32_t length = 0;
    std::string title, status;
    EXPECT_TRUE(m_pPlayer->GetLength(length) && m_pPlayer->GetTitle(title));
    EXPECT_EQ(std::tie(length, title), std::tuple(8, "Remote Song"));
    m_pPlayer->GetStatusText(status);
    EXPECT_EQ(status.rfind("Playing 0:", 0), 0u) << status;

    m_pPlayer->PauseResume();
    EXPECT_TRUE(ModeBecomes(CPlayer::kModePaused));
    const std::int32_t pausedAt = Position();
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(Position(), pausedAt);
    m_pPlayer->PauseResume();
    EXPECT_TRUE(ModeBecomes(CPlayer::kModePlaying));

    m_pPlayer->PlayFrom(5);
    EXPECT_TRUE(WaitFor([&] { return Position() >= 5; }, 3s));
    m_pPlayer->SetVolume(-1, 51);
    m_pPlayer->VolumeUp();

    m_pPlayer->Stop();
    EXPECT_TRUE(ModeBecomes(CPlayer::kModeStopped));

    // A file without tags shows its name; it plays to its end and then counts as stopped.
    ASSERT_TRUE(m_pPlayer->Play(plain));
    ASSERT_TRUE(WaitFor([&] { return Position() >= 1; }, 5s));
    EXPECT_TRUE(m_pPlayer->GetTitle(title));
    EXPECT_EQ(title, "plain name.mp3");
    EXPECT_TRUE(ModeBecomes(CPlayer::kModeStopped, 6s));
    EXPECT_FALSE(m_pPlayer->IsActive(false));

    // Closing the document closes the player ("closewinamp" 1).
    m_pPlayer->Release();
    EXPECT_TRUE(WaitFor([&] { return m_pLink->FindWindow("Winamp v1.x") == 0; }, 5s));
    EXPECT_FALSE(m_pPlayer->IsConnected());
}

TEST_F(MprisLinkTest, FindsARunningPlayerAndLeavesItOpenWhenNotAsked) {
    Settings(0, 0);
    // Nothing runs and the player may not be started.
    EXPECT_FALSE(m_pPlayer->Connect(-1, true));

    ChildProcess mpv;
    ASSERT_TRUE(StartMpv(mpv));
    ASSERT_TRUE(m_pPlayer->Connect(-1, false));
    const RemoteWindow window = m_pPlayer->GetWindow();
    EXPECT_EQ(m_pLink->GetClassName(window), "Winamp v1.x");
    EXPECT_EQ(m_pLink->EnumWindows(), std::vector<RemoteWindow>{window});
    EXPECT_EQ(m_pLink->SendMessage(window, RemoteMessages::kWmUser, 0,
                                   RemoteMessages::kIpcGetPlaylistFile),
              0);

    m_pPlayer->Release();
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ((std::tuple{mpv.IsGone(), m_pPlayer->IsConnected()}), std::tuple(false, true));

    // A player that leaves the bus is forgotten, and its handle never comes back.
    mpv.Stop(SIGTERM, 3000ms);
    EXPECT_TRUE(WaitFor([&] { return !m_pPlayer->IsConnected(); }, 3s));
    EXPECT_EQ(m_pLink->GetClassName(window), "");
    ChildProcess again;
    ASSERT_TRUE(StartMpv(again));
    EXPECT_NE(m_pLink->FindWindow("Winamp v1.x"), window);
    EXPECT_EQ(m_pLink->FindWindow("BaseWindow_RootWnd"), 0u);
}

} // namespace
