#include "ShellFixture.h"
#include "settings/CRecentAlbumSettings.h"
#include "ui/playlist/CVolumeBar.h"
#include "ui/shell/CInstanceLink.h"

#include <QDeadlineTimer>
#include <QDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <regex>

namespace {

struct StartCase {
    const char* name;
    // 0 empty store; 1 a recent album with "emptylastproject" 0; 2 as 1 plus a playlist
    // on the command line; 3 "newfileatstart" 0.
    int setup;
    std::vector<std::string> titles;
    const char* caption;
    bool firstRunAsked;
};

class StartupTest : public ShellTest, public ::testing::WithParamInterface<StartCase> {};

TEST_P(StartupTest, OpensWhatTheSettingsAndCommandLineSay) {
    const StartCase& c = GetParam();
    QStringList files;
    if (c.setup == 1 || c.setup == 2) {
        CRecentAlbumSettings recent;
        recent.m_astrPaths = {MakeAlbum("party", {MakePlaylist("dance"), MakePlaylist("slow")})};
        recent.Save(*m_pStore);
        m_pStore->WriteProfileInt("global", "emptylastproject", 0);
        m_pStore->WriteProfileString("winamp", "winamppath", "");
    }
    if (c.setup == 2) {
        files.push_back(QString::fromStdString(MakePlaylist("cli")));
    }
    if (c.setup == 3) {
        m_pStore->WriteProfileInt("global", "newfileatstart", 0);
    }
    Start(files);
    EXPECT_EQ(OpenTitles(), c.titles);
    EXPECT_EQ(Frame().windowTitle().toStdString(), c.caption);
    EXPECT_EQ(m_prompt.WasAsked(CMixorelApp::kFirstRunQuestion), c.firstRunAsked);
    // No error box for a default album that does not exist yet (the volume bar's notice
    // depends on the machine's sound server).
    const auto boxes =
        std::count_if(m_prompt.asked.begin(), m_prompt.asked.end(), [](const std::string& text) {
            return text != CVolumeBar::kAttachFailedText;
        });
    EXPECT_EQ(boxes, c.firstRunAsked ? 1 : 0);
    if (c.setup == 1) {
        // Opening the album closed the unnamed start-up album as default.qms.
        EXPECT_TRUE(AlbumPaths(CAlbumFile::DefaultPath()).empty());
        EXPECT_EQ(GlobalInt("emptylastproject", -1), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StartupTest,
    ::testing::Values(StartCase{"EmptyStore", 0, {"Mixorel1"}, "Mixorel", true},
                      StartCase{
                          "RecentAlbum", 1, {"dance.qmx", "slow.qmx"}, "party - Mixorel", false},
                      StartCase{"CommandLine", 2, {"cli.qmx"}, "Mixorel", false},
                      StartCase{"NoNewFile", 3, {}, "Mixorel", true}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(ShellTest, DefaultAlbumIsReopenedAtTheNextStart) {
    Start({QString::fromStdString(MakePlaylist("kept"))});
    ASSERT_TRUE(Frame().close());
    m_pApp->ExitInstance();
    m_pApp.reset();
    EXPECT_EQ(AlbumPaths(CAlbumFile::DefaultPath()),
              std::vector<std::string>{m_dir.File("kept.qmx")});
    Start();
    EXPECT_EQ(OpenTitles(), (std::vector<std::string>{"Mixorel1", "kept.qmx"}));
}

// File's recent playlists: a playlist read or saved heads the list, which the store keeps
// at once; an entry that no longer opens leaves it.
TEST_F(ShellTest, RecentPlaylistsFollowOpensAndSaves) {
    Start();
    const std::string a = MakePlaylist("a");
    const std::string b = MakePlaylist("b");
    const std::string c = m_dir.File("c.qmx");
    ASSERT_TRUE(Frame().OpenFile(a));
    ASSERT_TRUE(Frame().OpenFile(b));
    m_prompt.savePaths = {c};
    ASSERT_TRUE(Frame().GetPlaylists().front()->SaveAs());
    QMenu* menu = nullptr;
    for (QMenu* each : Frame().menuBar()->findChildren<QMenu*>()) {
        menu = each->title() == QStringLiteral("Recent Pla&ylists") ? each : menu;
    }
    ASSERT_NE(menu, nullptr);
    Q_EMIT menu->aboutToShow();
    QStringList texts;
    for (QAction* action : menu->actions()) {
        texts << action->text();
    }
    EXPECT_EQ(texts, (QStringList{QStringLiteral("&1 ") + QString::fromStdString(c),
                                  QStringLiteral("&2 ") + QString::fromStdString(b),
                                  QStringLiteral("&3 ") + QString::fromStdString(a)}));
    std::filesystem::remove(b);
    menu->actions()[1]->trigger();
    EXPECT_EQ(m_pStore->GetProfileString("recent file list", "file1", ""), c);
    EXPECT_EQ(m_pStore->GetProfileString("recent file list", "file2", ""), a);
    EXPECT_EQ(m_pStore->GetProfileString("recent file list", "file3", "x"), "");
}

// SIGTERM while the first-run question is open: the work is kept, the window closes, and
// the program ends instead of starting an event loop that nothing would quit.
TEST_F(ShellTest, CloseSignalDuringTheFirstRunQuestionEndsTheStart) {
    int boxLoopEnd = -1;
    m_prompt.onAsk = [this, &boxLoopEnd](const std::string& text) {
        if (text != CMixorelApp::kFirstRunQuestion) {
            return;
        }
        // The question's box runs a loop of its own; the close must end it.
        QDialog box;
        QTimer::singleShot(0, &Frame(), [this] { Frame().KeepWorkAndClose(); });
        QTimer::singleShot(3000, &box, [&box] { box.done(7); });
        boxLoopEnd = box.exec();
    };
    Start();
    EXPECT_EQ(boxLoopEnd, QDialog::Rejected);
    EXPECT_TRUE(m_pApp->HasEnded());
    EXPECT_FALSE(Frame().isVisible());
}

TEST_F(ShellTest, PlayLogHasTheStartAndEndLines) {
    m_pStore->WriteProfileInt("onairix", "keeponairixlog", 1);
    m_pStore->WriteProfileString("onairix", "logpath", m_dir.File("air.log"));
    Start();
    m_pApp->ExitInstance();
    m_pApp.reset();
    const auto bytes = ReadAll(m_dir.File("air.log"));
    EXPECT_TRUE(std::regex_match(std::string(bytes.begin(), bytes.end()),
                                 std::regex("\n.* -> PROGRAM STARTED\n.* -> PROGRAM ENDED\n")));
}

struct PlacementCase {
    const char* name;
    int x, y, width, height;
    bool centred;
};

class PlacementTest : public ShellTest, public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(PlacementTest, StoredPlacementIsAppliedAndWrittenBack) {
    const PlacementCase& c = GetParam();
    const char* keys[] = {"x", "y", "width", "height"};
    const int stored[] = {c.x, c.y, c.width, c.height};
    for (int i = 0; i < 4 && c.x != 100; ++i) {
        m_pStore->WriteProfileInt("position", keys[i], stored[i]);
    }
    Start();
    const QRect rect = Frame().geometry();
    EXPECT_EQ(rect.size(), QSize(c.width, c.height));
    if (c.centred) {
        const QPoint off =
            rect.center() - QApplication::primaryScreen()->availableGeometry().center();
        EXPECT_LE(off.manhattanLength(), 4);
    } else {
        EXPECT_EQ(rect.topLeft(), QPoint(c.x, c.y));
    }
    Frame().setGeometry(150, 160, 600, 500);
    ASSERT_TRUE(Frame().close());
    const int written[] = {150, 160, 600, 500};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(m_pStore->GetProfileInt("position", keys[i], 0), written[i]) << keys[i];
    }
    std::vector<std::uint8_t> state;
    EXPECT_TRUE(m_pStore->GetProfileBinary(CMainFrame::kBarStateSection, "state", state));
}

INSTANTIATE_TEST_SUITE_P(Cases, PlacementTest,
                         ::testing::Values(PlacementCase{"Defaults", 100, 100, 543, 561, false},
                                           PlacementCase{"Stored", 40, 30, 700, 480, false},
                                           PlacementCase{"Centred", -1, 0, 640, 400, true}),
                         [](const auto& param) { return std::string(param.param.name); });

QString UniqueName() {
    return QStringLiteral("mixorel-test-%1").arg(QCoreApplication::applicationPid());
}

TEST_F(ShellTest, RunningProgramOpensTheHandedFiles) {
    const QString name = UniqueName() + QStringLiteral("-app");
    Start({QString::fromStdString(MakePlaylist("first"))}, name);
    ASSERT_TRUE(CInstanceLink::HandOver(name, {QString::fromStdString(MakePlaylist("second")),
                                               QString::fromStdString(MakePlaylist("third one"))}));
    WaitUntil([&] { return Frame().GetPlaylists().size() >= 3; });
    EXPECT_EQ(OpenTitles(), (std::vector<std::string>{"first.qmx", "second.qmx", "third one.qmx"}));
}

TEST(InstanceLinkTest, NoRunningProgramMeansStartingOne) {
    EXPECT_FALSE(CInstanceLink::HandOver(UniqueName() + QStringLiteral("-none"), {}));
}

struct SocketCase {
    const char* runtime;
    const char* tmp;
    const char* wayland;
    const char* x11;
    const char* path;
};

TEST(InstanceLinkTest, OneSocketPerDisplayInTheRuntimeFolder) {
    const SocketCase cases[] = {
        {"/run/user/1000", "/tmp", "", ":0", "/run/user/1000/mixorel-:0"},
        {"/run/user/1000", "/tmp", "", ":1", "/run/user/1000/mixorel-:1"},
        {"/run/user/1000", "", "wayland-0", ":0", "/run/user/1000/mixorel-wayland-0"},
        {"/run/user/1000", "", "", "/tmp/.X11-unix/X0", "/run/user/1000/mixorel-_tmp_.X11-unix_X0"},
        {"", "/var/tmp", "", ":0", "/var/tmp/mixorel-1000/mixorel-:0"},
        {"", "", "", "", "/tmp/mixorel-1000/mixorel-none"},
    };
    for (const SocketCase& c : cases) {
        EXPECT_EQ(CInstanceLink::SocketPath(
                      QString::fromLatin1(c.runtime), QString::fromLatin1(c.tmp),
                      QString::fromLatin1(c.wayland), QString::fromLatin1(c.x11), 1000),
                  QString::fromLatin1(c.path));
    }
}

// Two programs of one user on two displays both listen; each gets only its own files.
TEST(InstanceLinkTest, TwoDisplaysGetTwoSockets) {
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray savedDisplay = qgetenv("DISPLAY");
    const QByteArray savedWayland = qgetenv("WAYLAND_DISPLAY");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    qunsetenv("WAYLAND_DISPLAY");
    QStringList names;
    for (const char* display : {":71", ":72"}) {
        qputenv("DISPLAY", display);
        names.push_back(CInstanceLink::DefaultName());
    }
    qputenv("XDG_RUNTIME_DIR", savedRuntime);
    qputenv("DISPLAY", savedDisplay);
    qputenv("WAYLAND_DISPLAY", savedWayland);
    ASSERT_NE(names[0], names[1]);
    CInstanceLink first;
    CInstanceLink second;
    ASSERT_TRUE(first.Listen(names[0]));
    ASSERT_TRUE(second.Listen(names[1]));
    for (const QString& name : names) {
        EXPECT_TRUE(name.startsWith(runtime.path() + QLatin1Char('/'))) << name.toStdString();
        EXPECT_TRUE(QFileInfo(name).exists()) << name.toStdString();
    }
    QStringList toFirst;
    QStringList toSecond;
    QObject::connect(&first, &CInstanceLink::FilesReceived,
                     [&](const QStringList& files) { toFirst += files; });
    QObject::connect(&second, &CInstanceLink::FilesReceived,
                     [&](const QStringList& files) { toSecond += files; });
    ASSERT_TRUE(CInstanceLink::HandOver(names[1], {QStringLiteral("/music/b.qmx")}));
    QDeadlineTimer deadline(10000);
    while (toSecond.isEmpty() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    EXPECT_EQ(toSecond, QStringList{QStringLiteral("/music/b.qmx")});
    EXPECT_TRUE(toFirst.isEmpty());
}

} // namespace
