#include "CliSupport.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>

using namespace CliSupport;

namespace {

using CliPlayTest = PlayingCliTest;

TEST_F(CliPlayTest, PlaysEachFileAndEndsAfterTheLastOrWhenInterrupted) {
    const std::string a = Song("a", 440, 3);
    const std::string b = Song("b", 1000, 2);
    const std::string out = Shell("timeout 30 $cli play --mix-seconds 1 --speed 20 " +
                                  ShellQuote(a) + " " + ShellQuote(b));
    ExpectHas(out, {"start 1/2 (mixed): " + a, "start 2/2 (mixed): " + b});
    Shell("timeout 30 $cli play --no-mix " + ShellQuote(b));
    Shell("timeout 30 $cli play " + ShellQuote(Song("long", 440, 20)) +
          " & pid=$!; sleep 1.5; kill -INT $pid; wait $pid");
    ExpectFailures({{"play " + Q("missing.mp3"), 1}});
}

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
        missing += std::ifstream("/usr/lib/mpv-mpris/mpris.so") ? "" : " mpv-mpris";
        if (!missing.empty()) {
            if (const char* ci = std::getenv("CI"); ci != nullptr && std::string(ci) == "true") {
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
    const std::string a = Song("a", 440, 2);
    const std::string b = Song("b", 440, 1);
    Settings(1, 1);
    const std::string out =
        OnPrivateBus(ShellQuote(a) + " " + ShellQuote(b),
                     "; echo \"status $?\"; sleep 1; echo \"players $(players)\"");
    // "closewinamp" 1: the player has left the bus.
    ExpectHas(out,
              {"start 1/2 (remote): " + a, "start 2/2 (remote): " + b, "status 0", "players 0"});
    // The second file starts once the first has ended, about 2 s later.
    const std::size_t second = out.find("start 2/2");
    ASSERT_NE(second, std::string::npos);
    EXPECT_GE(std::atof(out.substr(out.rfind('\n', second) + 1).c_str()), 1.8) << out;
}

TEST_F(CliRemotePlayTest, WithoutAPlayerToDriveItSaysHowToSetOneUp) {
    Settings(0, 1);
    const std::string out = OnPrivateBus(ShellQuote(Song("a", 440, 1)), "; echo \"status $?\"");
    ExpectHas(out, {"WinAmp is not running. Did you specify the WinAmp path in the "
                    "configuration?\n\nUse tools->options to setup the WinAmp path.",
                    "status 1"});
}

// One printed start: seconds since the loop began and the song's path.
struct Start {
    double at = 0.0;
    std::string path;
};

std::vector<Start> ParseStarts(const std::string& out) {
    std::vector<Start> starts;
    const std::regex start(R"((\S+) s  now: (.*) \| next: )");
    for (std::sregex_iterator at(out.begin(), out.end(), start), end; at != end; ++at) {
        starts.push_back({std::stod((*at)[1]), (*at)[2]});
    }
    return starts;
}

// The headless looping player on real files.
class CliLoopTest : public PlayingCliTest {
protected:
    std::string Playlist(const std::vector<std::string>& songs) {
        std::string args = "playlist create " + Q("list.qmx");
        for (const std::string& song : songs) {
            args += " " + ShellQuote(song);
        }
        EXPECT_EQ(Status(args), 0);
        return Q("list.qmx");
    }
};

TEST_F(CliLoopTest, EndsByItselfAfterTheLastSongWithStopLoopAtEnd) {
    Settings("[internal]\nmixseconds=1\nmixspeed=20\n[misc]\nstoploopatend=1\n");
    const std::string b = Song("b", 660, 2);
    const std::string c = Song("c", 880, 2);
    const std::string list = Playlist({Song("a", 440, 2), b, c});
    const std::string out =
        Shell("timeout 60 $cli loop --log " + Q("play.log") + " --from 1 " + list);
    const auto starts = ParseStarts(out);
    ASSERT_EQ(starts.size(), 2u) << out;
    EXPECT_EQ(starts[0].path + " " + starts[1].path, b + " " + c);
    const std::string text = Read("play.log");
    ExpectHas(text, {" -> PROGRAM STARTED\n", " -> " + b + "\n", " -> " + c + "\n"});
    EXPECT_TRUE(text.ends_with(" -> PROGRAM ENDED\n")) << text;
}

// Each start comes when the mix seconds remain of the song before (the pace of songs
// whose length GStreamer learns late is the player's own test). The first song sounds at
// once; every later one is started a lead (under a second) ahead of its mix point, where
// the engine places it, so the first gap between start commands is shorter by that lead.
TEST_F(CliLoopTest, LoopsInOrderAndWrapsAtTheMixPointUntilInterrupted) {
    Settings("[internal]\nmixseconds=1\nmixspeed=20\n");
    const std::string a = Song("a", 440, 3);
    const std::string b = Song("b", 660, 3);
    const std::string c = Song("c", 880, 3);
    const auto starts = ParseStarts(Shell("timeout 60 $cli loop " + Playlist({a, b, c}) +
                                          " & pid=$!; sleep 8.5; kill -INT $pid; wait $pid"));
    ASSERT_GE(starts.size(), 4u);
    const std::string order[] = {a, b, c};
    for (std::size_t n = 0; n < starts.size(); ++n) {
        EXPECT_EQ(starts[n].path, order[n % 3]) << n;
        if (n > 0) {
            const double gap = starts[n].at - starts[n - 1].at;
            EXPECT_GT(gap, n == 1 ? 1.0 : 1.6) << n;
            EXPECT_LT(gap, 2.8) << n;
        }
    }
}

// Files that cannot be played are never logged as started; when none of the list plays,
// the loop ends after one pass with a message on stderr and status 1.
TEST_F(CliLoopTest, AListWhereNothingPlaysEndsWithAMessage) {
    Write("a.mp3", "not audio\n");
    Write("b.mp3", "not audio either\n");
    const std::string out = Shell("timeout 60 $cli loop --log " + Q("play.log") + " " +
                                      Playlist({File("a.mp3"), File("b.mp3")}) + " 2>&1",
                                  1);
    EXPECT_TRUE(ParseStarts(out).empty()) << out;
    ExpectHas(out, {"None of the songs in the list could be played"});
    EXPECT_EQ(out.find("WinAmp"), std::string::npos) << out;
    const std::string text = Read("play.log");
    EXPECT_EQ(text.find(File("a.mp3")), std::string::npos) << text;
    EXPECT_EQ(text.find(File("b.mp3")), std::string::npos) << text;
}

TEST_F(CliLoopTest, BadArgumentsAndMissingPlaylists) {
    ExpectFailures({{"loop", 2}, {"loop --from x " + Q("l.qmx"), 2}, {"loop " + Q("none.qmx"), 1}});
}

} // namespace
