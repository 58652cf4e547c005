#include "CliSupport.h"
#include "support/TempDir.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using TestFiles::ShellQuote;

namespace {

// `mixorel-cli play --remote` against a real mpv (with mpv-mpris), each run on its own
// private session bus.
class CliRemotePlayTest : public ::testing::Test {
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
        std::ifstream pidFile(m_dir.File("mpv.pid"));
        long pid = 0;
        if (pidFile >> pid && pid > 0) {
            ::kill(static_cast<pid_t>(pid), SIGKILL);
        }
    }

    // The settings file. "winamppath" is a command line: a script that notes its
    // process id and becomes mpv, with some of mpv's options as its arguments.
    void Settings(int nStart, int nClose) {
        const std::string script = m_dir.File("start-mpv");
        std::ofstream(script) << "#!/bin/sh\necho $$ > " << ShellQuote(m_dir.File("mpv.pid"))
                              << "\nexec mpv --no-config --idle=yes --no-terminal "
                                 "--script=/usr/lib/mpv-mpris/mpris.so \"$@\"\n";
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
        const std::string folder = m_dir.File("config/Mixorel");
        std::filesystem::create_directories(folder);
        std::ofstream(folder + "/Mixorel.ini")
            << "[global]\nstartwinamp=" << nStart << "\nclosewinamp=" << nClose
            << "\n[winamp]\nwinamppath=" << script << " --ao=null --no-video\n";
    }
    std::string Song(const std::string& name, int seconds) {
        const std::string mp3 = m_dir.File(name + ".mp3");
        EXPECT_TRUE(TestFiles::WriteSineMp3(mp3, seconds, 440));
        return mp3;
    }
    // Runs the script on a private session bus; answers what it printed (stderr too).
    std::string OnPrivateBus(const std::string& script, int* status) {
        const std::string path = m_dir.File("run.sh");
        std::ofstream(path) << "export XDG_CONFIG_HOME=" << ShellQuote(m_dir.File("config"))
                            << " MIXOREL_HOME=" << ShellQuote(m_dir.File("home")) << "\n"
                            << "cli=" << ShellQuote(MIXOREL_CLI) << "\n"
                            << "players() { dbus-send --session --print-reply "
                               "--dest=org.freedesktop.DBus / org.freedesktop.DBus.ListNames "
                               "| grep -c org.mpris.MediaPlayer2; }\n"
                            << script << "\n";
        return TestFiles::Capture("timeout 60 dbus-run-session -- sh " + ShellQuote(path) + " 2>&1",
                                  status);
    }

    TempDir m_dir;
};

TEST_F(CliRemotePlayTest, StartsThePlayerPlaysEachFileAndClosesItAtTheEnd) {
    const std::string a = Song("a", 2);
    const std::string b = Song("b", 1);
    Settings(1, 1);
    int status = -1;
    const std::string out =
        OnPrivateBus("$cli play --remote " + ShellQuote(a) + " " + ShellQuote(b) +
                         "; echo \"status $?\"; sleep 1; "
                         "echo \"players $(players)\"",
                     &status);
    EXPECT_NE(out.find("start 1/2 (remote): " + a), std::string::npos) << out;
    EXPECT_NE(out.find("start 2/2 (remote): " + b), std::string::npos) << out;
    EXPECT_NE(out.find("status 0"), std::string::npos) << out;
    // "closewinamp" 1: the player has left the bus.
    EXPECT_NE(out.find("players 0"), std::string::npos) << out;
    // The second file starts once the first has ended, about 2 s later.
    const std::size_t second = out.find("start 2/2");
    ASSERT_NE(second, std::string::npos);
    const double at = std::atof(out.substr(out.rfind('\n', second) + 1).c_str());
    EXPECT_GE(at, 1.8) << out;
}

TEST_F(CliRemotePlayTest, WithoutAPlayerToDriveItShowsMessage155) {
    const std::string a = Song("a", 1);
    Settings(0, 1);
    int status = -1;
    const std::string out =
        OnPrivateBus("$cli play --remote " + ShellQuote(a) + "; echo \"status $?\"", &status);
    EXPECT_NE(out.find("WinAmp is not running. Did you specify the WinAmp path in the "
                       "configuration?\n\nUse tools->options to setup the WinAmp path."),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("status 1"), std::string::npos) << out;
}

TEST_F(CliRemotePlayTest, InterruptStopsThePlayerAndLeavesItOpenWhenAsked) {
    const std::string a = Song("long", 20);
    Settings(1, 0);
    int status = -1;
    const std::string out =
        OnPrivateBus("$cli play --remote " + ShellQuote(a) +
                         " & pid=$!; sleep 2.5; kill -INT $pid; wait $pid; echo \"status $?\"; "
                         "echo \"players $(players)\"; dbus-send --session --print-reply "
                         "--dest=org.mpris.MediaPlayer2.mpv /org/mpris/MediaPlayer2 "
                         "org.freedesktop.DBus.Properties.Get string:org.mpris.MediaPlayer2.Player "
                         "string:Position",
                     &status);
    EXPECT_NE(out.find("stopping"), std::string::npos) << out;
    EXPECT_NE(out.find("status 0"), std::string::npos) << out;
    // "closewinamp" 0: the player stays, stopped (mpv's position goes back to 0).
    EXPECT_NE(out.find("players 1"), std::string::npos) << out;
    EXPECT_NE(out.find("int64 0"), std::string::npos) << out;
}

} // namespace
