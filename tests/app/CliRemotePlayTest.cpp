#include "CliSupport.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace CliSupport;

namespace {

// `mixorel-cli play --remote` against a real mpv (with mpv-mpris), each run on its own
// private session bus.
class CliRemotePlayTest : public CliTest {
protected:
    void SetUp() override {
        std::string missing;
        for (const char* tool : {"mpv", "sox", "lame", "dbus-run-session", "dbus-send"}) {
            if (!TestFiles::HaveTool(tool)) {
                missing += std::string(" ") + tool;
            }
        }
        if (!std::ifstream("/usr/lib/mpv-mpris/mpris.so")) {
            missing += " mpv-mpris";
        }
        if (!missing.empty()) {
            const char* ci = std::getenv("CI");
            if (ci != nullptr && std::string(ci) == "true") {
                FAIL() << "missing in CI:" << missing;
            }
            GTEST_SKIP() << "missing:" << missing;
        }
    }
    void TearDown() override {
        // A player left behind by a failed run is ended by its process id.
        std::ifstream pidFile(File("mpv.pid"));
        long pid = 0;
        if (pidFile >> pid && pid > 0) {
            ::kill(static_cast<pid_t>(pid), SIGKILL);
        }
    }
    // The settings file. "winamppath" is a command line: a script that notes its
    // process id and becomes mpv, with some of mpv's options as its arguments.
    void Settings(int nStart, int nClose) {
        Write("start-mpv", "#!/bin/sh\necho $$ > " + Q("mpv.pid") +
                               "\nexec mpv --no-config --idle=yes --no-terminal "
                               "--script=/usr/lib/mpv-mpris/mpris.so \"$@\"\n");
        std::filesystem::permissions(File("start-mpv"), std::filesystem::perms::owner_all);
        CliTest::Settings("[global]\nstartwinamp=" + std::to_string(nStart) + "\nclosewinamp=" +
                          std::to_string(nClose) + "\n[winamp]\nwinamppath=" + File("start-mpv") +
                          " --ao=null --no-video\n");
    }
    std::string Song(const std::string& name, int seconds) {
        EXPECT_TRUE(TestFiles::WriteSineMp3(File(name + ".mp3"), seconds, 440));
        return File(name + ".mp3");
    }
    // Runs `$cli play --remote song` and the script after it on a private session bus;
    // answers what they printed (stderr too).
    std::string OnPrivateBus(const std::string& song, const std::string& script) {
        Write("run.sh", "cli=" + ShellQuote(MIXOREL_CLI) +
                            "\nplayers() { dbus-send --session --print-reply "
                            "--dest=org.freedesktop.DBus / org.freedesktop.DBus.ListNames "
                            "| grep -c org.mpris.MediaPlayer2; }\n$cli play --remote " +
                            song + script + "\n");
        return TestFiles::Capture("timeout 60 dbus-run-session -- sh " + Q("run.sh") + " 2>&1");
    }
};

TEST_F(CliRemotePlayTest, StartsThePlayerPlaysEachFileAndClosesItAtTheEnd) {
    const std::string a = Song("a", 2);
    const std::string b = Song("b", 1);
    Settings(1, 1);
    const std::string out =
        OnPrivateBus(ShellQuote(a) + " " + ShellQuote(b),
                     "; echo \"status $?\"; sleep 1; echo \"players $(players)\"");
    EXPECT_NE(out.find("start 1/2 (remote): " + a), std::string::npos) << out;
    EXPECT_NE(out.find("start 2/2 (remote): " + b), std::string::npos) << out;
    EXPECT_NE(out.find("status 0"), std::string::npos) << out;
    // "closewinamp" 1: the player has left the bus.
    EXPECT_NE(out.find("players 0"), std::string::npos) << out;
    // The second file starts once the first has ended, about 2 s later.
    const std::size_t second = out.find("start 2/2");
    ASSERT_NE(second, std::string::npos);
    EXPECT_GE(std::atof(out.substr(out.rfind('\n', second) + 1).c_str()), 1.8) << out;
}

TEST_F(CliRemotePlayTest, WithoutAPlayerToDriveItSaysHowToSetOneUp) {
    Settings(0, 1);
    const std::string out = OnPrivateBus(ShellQuote(Song("a", 1)), "; echo \"status $?\"");
    EXPECT_NE(out.find("WinAmp is not running. Did you specify the WinAmp path in the "
                       "configuration?\n\nUse tools->options to setup the WinAmp path."),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("status 1"), std::string::npos) << out;
}

TEST_F(CliRemotePlayTest, InterruptStopsThePlayerAndLeavesItOpenWhenAsked) {
    Settings(1, 0);
    const std::string out =
        OnPrivateBus(ShellQuote(Song("long", 20)),
                     " & pid=$!; sleep 2.5; kill -INT $pid; wait $pid; echo \"status $?\"; "
                     "echo \"players $(players)\"; dbus-send --session --print-reply "
                     "--dest=org.mpris.MediaPlayer2.mpv /org/mpris/MediaPlayer2 "
                     "org.freedesktop.DBus.Properties.Get string:org.mpris.MediaPlayer2.Player "
                     "string:Position");
    EXPECT_NE(out.find("stopping"), std::string::npos) << out;
    EXPECT_NE(out.find("status 0"), std::string::npos) << out;
    // "closewinamp" 0: the player stays, stopped (mpv's position goes back to 0).
    EXPECT_NE(out.find("players 1"), std::string::npos) << out;
    EXPECT_NE(out.find("int64 0"), std::string::npos) << out;
}

} // namespace
