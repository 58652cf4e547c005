// The program's own MPRIS service on a private session bus, driven as media keys and
// playerctl drive it (dbus-send from outside the process).
#include "MprisTestSupport.h"

#include "ui/CMprisServer.h"

#include <QProcess>

namespace {

// dbus-send run while this process keeps serving the bus; its output.
std::string Send(const std::vector<std::string>& args) {
    QStringList list = {QStringLiteral("--session"), QStringLiteral("--print-reply"),
                        QStringLiteral("--dest=org.mpris.MediaPlayer2.mixorel"),
                        QStringLiteral("/org/mpris/MediaPlayer2")};
    for (const std::string& arg : args) {
        list << QString::fromStdString(arg);
    }
    QProcess client;
    client.start(QStringLiteral("dbus-send"), list);
    while (!client.waitForFinished(10) && client.state() != QProcess::NotRunning) {
        QCoreApplication::processEvents();
    }
    return client.readAllStandardOutput().toStdString();
}

std::string Get(const std::string& property) {
    return Send({"org.freedesktop.DBus.Properties.Get", "string:org.mpris.MediaPlayer2.Player",
                 "string:" + property});
}

void Call(const std::string& method) {
    Send({"org.mpris.MediaPlayer2.Player." + method});
}

TEST(MprisServerTest, PropertiesMethodsAndChangeSignals) {
    if (!TestFiles::HaveTool("dbus-send") || !TestFiles::HaveTool("dbus-monitor")) {
        GTEST_SKIP() << "dbus-send and dbus-monitor are needed";
    }
    const auto app = MprisTestSupport::MakeApp();
    BusMonitor monitor("member='PropertiesChanged'");
    ASSERT_TRUE(monitor.Started());

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
    Send({"org.freedesktop.DBus.Properties.Set", "string:org.mpris.MediaPlayer2.Player",
          "string:Volume", "variant:double:0.5"});
    EXPECT_DOUBLE_EQ(volume, 0.5);

    const std::string seen = monitor.Seen({"\"Playing\"", "\"Volume\""}, 3000ms,
                                          [] { QCoreApplication::processEvents(); });
    for (const char* part :
         {"\"PlaybackStatus\"", "\"Playing\"", "\"xesam:title\"", "\"Volume\""}) {
        EXPECT_NE(seen.find(part), std::string::npos) << seen;
    }
}

} // namespace
