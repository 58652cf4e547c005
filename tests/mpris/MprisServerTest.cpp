// The program's own MPRIS service on a private session bus, driven as media keys and
// playerctl drive it (dbus-send from outside the process).
#include "MprisTestSupport.h"

#include "ui/desktop/CMprisServer.h"

#include <QProcess>

namespace {

// dbus-send run while this process keeps serving the bus; its output.
std::string Send(const QStringList& args) {
    QProcess client;
    client.start("dbus-send",
                 QStringList{"--session", "--print-reply", "--dest=org.mpris.MediaPlayer2.mixorel",
                             "/org/mpris/MediaPlayer2"} +
                     args);
    while (!client.waitForFinished(10) && client.state() != QProcess::NotRunning) {
        QCoreApplication::processEvents();
    }
    return client.readAllStandardOutput().toStdString();
}

std::string Get(const QString& property) {
    return Send({"org.freedesktop.DBus.Properties.Get", "string:org.mpris.MediaPlayer2.Player",
                 "string:" + property});
}

void Call(const QString& method) {
    Send({"org.mpris.MediaPlayer2.Player." + method});
}

TEST(MprisServerTest, PropertiesMethodsAndChangeSignals) {
    if (!TestFiles::HaveTool("dbus-send") || !TestFiles::HaveTool("dbus-monitor")) {
        GTEST_SKIP() << "dbus-send and dbus-monitor are needed";
    }
    const auto app = MakeApp();
    BusMonitor monitor("member='PropertiesChanged'");
    ASSERT_TRUE(monitor.Started());

    CNowPlaying now;
    int nexts = 0, stops = 0, pauses = 0, plays = 0, started = 0;
    double volume = -1;
    CMprisServer server({.read = [&] { return now; },
                         .next = [&] { ++nexts; },
                         .stop = [&] { ++stops; },
                         .pause = [&] { ++pauses; },
                         .play = [&] { ++plays; },
                         .setVolume = [&](double v) { volume = v; },
                         .raise = {},
                         .quit = {},
                         .trackStarted = [&](const CNowPlaying&) { ++started; }});
    ASSERT_TRUE(server.Register(QDBusConnection::sessionBus()));

    EXPECT_NE(Get("PlaybackStatus").find("\"Stopped\""), std::string::npos);
    Call("Next");
    EXPECT_EQ(nexts, 0) << "nothing loops: Next has nowhere to go";
    Call("PlayPause");
    EXPECT_EQ(plays, 1) << "PlayPause with nothing playing starts the loop";

    // Playing "Song" by "Band", no album, three minutes long, the first track, a next one.
    now = {CNowPlaying::kPlaying, "Song", "Band", "", "/music/a song.mp3", 180000000, 0, 1, true};
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
    EXPECT_EQ((std::tuple{nexts, pauses, stops}), std::tuple(1, 1, 1));
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
