// The program's own MPRIS service on a private session bus, driven as media keys and
// playerctl drive it (dbus-send from outside the process).
#include "MprisTestSupport.h"

#include "support/ChildProcess.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"
#include "ui/CMprisServer.h"

#include <QCoreApplication>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

// dbus-send run while this process keeps serving the bus; its output.
std::string Send(const QStringList& args) {
    QProcess client;
    client.start(QStringLiteral("dbus-send"),
                 QStringList{QStringLiteral("--session"), QStringLiteral("--print-reply"),
                             QStringLiteral("--dest=org.mpris.MediaPlayer2.mixorel"),
                             QStringLiteral("/org/mpris/MediaPlayer2")} +
                     args);
    while (!client.waitForFinished(10)) {
        QCoreApplication::processEvents();
        if (client.state() == QProcess::NotRunning) {
            break;
        }
    }
    return client.readAllStandardOutput().toStdString();
}

std::string Get(const char* property) {
    return Send({QStringLiteral("org.freedesktop.DBus.Properties.Get"),
                 QStringLiteral("string:org.mpris.MediaPlayer2.Player"),
                 QStringLiteral("string:%1").arg(QString::fromLatin1(property))});
}

void Call(const char* method) {
    Send({QStringLiteral("org.mpris.MediaPlayer2.Player.%1").arg(QString::fromLatin1(method))});
}

TEST(MprisServerTest, PropertiesMethodsAndChangeSignals) {
    if (!TestFiles::HaveTool("dbus-send") || !TestFiles::HaveTool("dbus-monitor")) {
        GTEST_SKIP() << "dbus-send and dbus-monitor are needed";
    }
    const auto app = MprisTestSupport::MakeApp();
    TempDir dir;
    ChildProcess monitor;
    ASSERT_TRUE(monitor.Start({"dbus-monitor", "--session", "member='PropertiesChanged'"},
                              dir.File("monitor.log"), {}));

    CNowPlaying now;
    int nexts = 0, pauses = 0, plays = 0, stops = 0;
    double volume = -1;
    CMprisServer::Commands commands;
    commands.read = [&] { return now; };
    commands.next = [&] { ++nexts; };
    commands.pause = [&] { ++pauses; };
    commands.play = [&] { ++plays; };
    commands.stop = [&] { ++stops; };
    commands.setVolume = [&](double v) { volume = v; };
    int started = 0;
    commands.trackStarted = [&](const CNowPlaying&) { ++started; };
    CMprisServer server(commands);
    ASSERT_TRUE(server.Register(QDBusConnection::sessionBus()));
    std::this_thread::sleep_for(300ms); // the monitor is listening

    EXPECT_NE(Get("PlaybackStatus").find("\"Stopped\""), std::string::npos);
    Call("Next");
    EXPECT_EQ(nexts, 0) << "nothing loops: Next has nowhere to go";
    Call("PlayPause");
    EXPECT_EQ(plays, 1) << "PlayPause with nothing playing starts the loop";

    now.status = CNowPlaying::kPlaying;
    now.strTitle = "Song";
    now.strArtist = "Band";
    now.strPath = "/music/a song.mp3";
    now.nLengthUs = 180000000;
    now.nTrack = 1;
    now.bCanGoNext = true;
    server.Refresh();
    server.Refresh();
    EXPECT_EQ(started, 1) << "one notice per song that starts";
    const std::string metadata = Get("Metadata");
    for (const char* part :
         {"\"Song\"", "file:///music/a%20song.mp3", "int64 180000000", "/org/mixorel/track/1"}) {
        EXPECT_NE(metadata.find(part), std::string::npos) << metadata;
    }
    EXPECT_NE(Get("CanGoNext").find("true"), std::string::npos);

    Call("Next");
    Call("Pause");
    Call("Stop");
    EXPECT_EQ(nexts, 1);
    EXPECT_EQ(pauses, 1);
    EXPECT_EQ(stops, 1);
    Send({QStringLiteral("org.freedesktop.DBus.Properties.Set"),
          QStringLiteral("string:org.mpris.MediaPlayer2.Player"), QStringLiteral("string:Volume"),
          QStringLiteral("variant:double:0.5")});
    EXPECT_DOUBLE_EQ(volume, 0.5);

    const std::string seen =
        MprisTestSupport::WaitForTexts(dir.File("monitor.log"), {"\"Playing\"", "\"Volume\""},
                                       3000ms, [] { QCoreApplication::processEvents(); });
    monitor.Stop(SIGTERM, 2000ms);
    for (const char* part :
         {"\"PlaybackStatus\"", "\"Playing\"", "\"xesam:title\"", "\"Volume\""}) {
        EXPECT_NE(seen.find(part), std::string::npos) << seen;
    }
}

} // namespace
