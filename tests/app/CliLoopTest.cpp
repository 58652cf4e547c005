#include "CliSupport.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using TestFiles::ShellQuote;

namespace {

// One printed start: seconds since the loop began and the song's path.
struct Start {
    double at = 0.0;
    std::string path;
};

std::vector<Start> ParseStarts(const std::string& out) {
    std::vector<Start> starts;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        const std::size_t now = line.find(" s  now: ");
        if (now == std::string::npos) {
            continue;
        }
        const std::size_t end = line.find(" | next: ");
        starts.push_back({std::stod(line.substr(0, now)), line.substr(now + 9, end - now - 9)});
    }
    return starts;
}

// The headless looping player on real files, through the GStreamer back end into a fake
// sink that keeps time, with the settings of an isolated home.
class CliLoopTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!TestFiles::HaveTool("sox") || !TestFiles::HaveTool("lame")) {
            GTEST_SKIP() << "sox and lame are needed";
        }
        m_env = "XDG_CONFIG_HOME=" + ShellQuote(m_dir.File("config")) +
                " MIXOREL_HOME=" + ShellQuote(m_dir.File("home")) +
                " MIXOREL_AUDIO_SINK='fakesink sync=true' ";
    }
    void Settings(const std::string& ini) {
        std::filesystem::create_directories(m_dir.File("config/Mixorel"));
        std::ofstream(m_dir.File("config/Mixorel/Mixorel.ini")) << ini;
    }
    std::string Song(const std::string& name, int hz, int seconds, const std::string& encoder) {
        const std::string wav = m_dir.File(name + ".wav");
        const std::string out = m_dir.File(name + (encoder == "lame" ? ".mp3" : ".mp2"));
        const std::string encode =
            encoder == "lame" ? "lame --quiet -b 128 " + ShellQuote(wav) + " " + ShellQuote(out)
                              : "ffmpeg -loglevel error -y -i " + ShellQuote(wav) +
                                    " -c:a mp2 -b:a 128k " + ShellQuote(out);
        EXPECT_EQ(TestFiles::Run("sox -n -r 44100 -c 2 " + ShellQuote(wav) + " synth " +
                                 std::to_string(seconds) + " sine " + std::to_string(hz) + " && " +
                                 encode),
                  0);
        return out;
    }
    std::string Playlist(const std::vector<std::string>& songs) {
        std::string args = "playlist create " + ShellQuote(m_dir.File("list.qmx"));
        for (const std::string& song : songs) {
            args += " " + ShellQuote(song);
        }
        int status = -1;
        CliSupport::Cli(args, &status);
        EXPECT_EQ(status, 0);
        return m_dir.File("list.qmx");
    }
    std::string Read(const std::string& path) {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    TempDir m_dir;
    std::string m_env;
};

TEST_F(CliLoopTest, EndsByItselfAfterTheLastSongWithStopLoopAtEnd) {
    Settings("[internal]\nmixseconds=1\nmixspeed=20\n[misc]\nstoploopatend=1\n");
    const std::string a = Song("a", 440, 2, "lame");
    const std::string b = Song("b", 660, 2, "lame");
    const std::string c = Song("c", 880, 2, "lame");
    const std::string list = Playlist({a, b, c});
    const std::string log = m_dir.File("play.log");
    int status = -1;
    const std::string out =
        TestFiles::Capture(m_env + "timeout 60 " + MIXOREL_CLI + " loop --log " + ShellQuote(log) +
                               " --from 1 " + ShellQuote(list),
                           &status);
    EXPECT_EQ(status, 0) << out;
    const auto starts = ParseStarts(out);
    ASSERT_EQ(starts.size(), 2u) << out;
    EXPECT_EQ(starts[0].path, b);
    EXPECT_EQ(starts[1].path, c);
    const std::string text = Read(log);
    EXPECT_NE(text.find(" -> PROGRAM STARTED\n"), std::string::npos) << text;
    EXPECT_NE(text.find(" -> " + b + "\n"), std::string::npos) << text;
    EXPECT_NE(text.find(" -> " + c + "\n"), std::string::npos) << text;
    EXPECT_TRUE(text.ends_with(" -> PROGRAM ENDED\n")) << text;
}

// Each start comes when the mix seconds remain of the song before; MP2 songs, whose
// length GStreamer learns late, keep the same pace.
TEST_F(CliLoopTest, LoopsInOrderAndWrapsAtTheMixPointUntilInterrupted) {
    Settings("[internal]\nmixseconds=1\nmixspeed=20\n");
    for (const std::string encoder : {"lame", "ffmpeg"}) {
        if (encoder == "ffmpeg" && !TestFiles::HaveTool("ffmpeg")) {
            continue;
        }
        const std::string a = Song("a", 440, 3, encoder);
        const std::string b = Song("b", 660, 3, encoder);
        const std::string c = Song("c", 880, 3, encoder);
        const std::string list = Playlist({a, b, c});
        int status = -1;
        const std::string out = TestFiles::Capture(
            "(" + m_env + "timeout 60 " + MIXOREL_CLI + " loop " + ShellQuote(list) +
                " & pid=$!; sleep 8.5; kill -INT $pid; wait $pid)",
            &status);
        EXPECT_EQ(status, 0) << out;
        const auto starts = ParseStarts(out);
        ASSERT_GE(starts.size(), 4u) << encoder << "\n" << out;
        const std::vector<std::string> order = {a, b, c, a};
        for (std::size_t n = 0; n < 4; ++n) {
            EXPECT_EQ(starts[n].path, order[n]) << encoder;
        }
        for (std::size_t n = 1; n < starts.size(); ++n) {
            const double gap = starts[n].at - starts[n - 1].at;
            EXPECT_GT(gap, 1.6) << encoder << "\n" << out;
            EXPECT_LT(gap, 2.8) << encoder << "\n" << out;
        }
    }
}

// Files that cannot be played are never logged as started; when none of the list plays,
// the loop ends after one pass with a message on stderr and status 1.
TEST_F(CliLoopTest, AListWhereNothingPlaysEndsWithAMessage) {
    const std::string a = m_dir.File("a.mp3");
    const std::string b = m_dir.File("b.mp3");
    std::ofstream(a) << "not audio\n";
    std::ofstream(b) << "not audio either\n";
    const std::string list = Playlist({a, b});
    const std::string log = m_dir.File("play.log");
    int status = -1;
    const std::string out =
        TestFiles::Capture(m_env + "timeout 60 " + MIXOREL_CLI + " loop --log " + ShellQuote(log) +
                               " " + ShellQuote(list) + " 2>&1",
                           &status);
    EXPECT_EQ(status, 1) << out;
    EXPECT_TRUE(ParseStarts(out).empty()) << out;
    EXPECT_NE(out.find("None of the songs in the list could be played"), std::string::npos) << out;
    EXPECT_EQ(out.find("WinAmp"), std::string::npos) << out;
    const std::string text = Read(log);
    EXPECT_EQ(text.find(a), std::string::npos) << text;
    EXPECT_EQ(text.find(b), std::string::npos) << text;
}

TEST_F(CliLoopTest, BadArgumentsAndMissingPlaylists) {
    int status = -1;
    CliSupport::Cli("loop", &status);
    EXPECT_EQ(status, 2);
    CliSupport::Cli("loop --from x " + ShellQuote(m_dir.File("l.qmx")), &status);
    EXPECT_EQ(status, 2);
    TestFiles::Capture(m_env + MIXOREL_CLI + " loop " + ShellQuote(m_dir.File("none.qmx")) +
                           " 2>/dev/null",
                       &status);
    EXPECT_EQ(status, 1);
}

} // namespace
