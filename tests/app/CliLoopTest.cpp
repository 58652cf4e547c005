#include "CliSupport.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

using namespace CliSupport;

namespace {

// One printed start: seconds since the loop began and the song's path.
struct Start {
    double at = 0.0;
    std::string path;
};

std::vector<Start> ParseStarts(const std::string& out) {
    std::vector<Start> starts;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t now = line.find(" s  now: ");
        if (now != std::string::npos) {
            const std::size_t end = line.find(" | next: ");
            starts.push_back({std::stod(line.substr(0, now)), line.substr(now + 9, end - now - 9)});
        }
    }
    return starts;
}

// The headless looping player on real files.
class CliLoopTest : public PlayingCliTest {
protected:
    std::string Song(const std::string& name, int hz, int seconds, const std::string& encoder) {
        const std::string wav = Q(name + ".wav");
        const std::string out = File(name + (encoder == "lame" ? ".mp3" : ".mp2"));
        const std::string encode =
            encoder == "lame"
                ? "lame --quiet -b 128 " + wav + " " + ShellQuote(out)
                : "ffmpeg -loglevel error -y -i " + wav + " -c:a mp2 -b:a 128k " + ShellQuote(out);
        EXPECT_EQ(TestFiles::Run("sox -n -r 44100 -c 2 " + wav + " synth " +
                                 std::to_string(seconds) + " sine " + std::to_string(hz) + " && " +
                                 encode),
                  0);
        return out;
    }
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
    const std::string b = Song("b", 660, 2, "lame");
    const std::string c = Song("c", 880, 2, "lame");
    const std::string list = Playlist({Song("a", 440, 2, "lame"), b, c});
    int status = -1;
    const std::string out =
        Shell("timeout 60 $cli loop --log " + Q("play.log") + " --from 1 " + list, &status);
    EXPECT_EQ(status, 0) << out;
    const auto starts = ParseStarts(out);
    ASSERT_EQ(starts.size(), 2u) << out;
    EXPECT_EQ(starts[0].path, b);
    EXPECT_EQ(starts[1].path, c);
    const std::string text = Read("play.log");
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
        SCOPED_TRACE(encoder);
        const std::string a = Song("a", 440, 3, encoder);
        const std::string b = Song("b", 660, 3, encoder);
        const std::string c = Song("c", 880, 3, encoder);
        int status = -1;
        const std::string out = Shell("timeout 60 $cli loop " + Playlist({a, b, c}) +
                                          " & pid=$!; sleep 8.5; kill -INT $pid; wait $pid",
                                      &status);
        EXPECT_EQ(status, 0) << out;
        const auto starts = ParseStarts(out);
        ASSERT_GE(starts.size(), 4u) << out;
        const std::vector<std::string> order = {a, b, c, a};
        for (std::size_t n = 0; n < 4; ++n) {
            EXPECT_EQ(starts[n].path, order[n]);
        }
        for (std::size_t n = 1; n < starts.size(); ++n) {
            const double gap = starts[n].at - starts[n - 1].at;
            EXPECT_GT(gap, 1.6) << out;
            EXPECT_LT(gap, 2.8) << out;
        }
    }
}

// Files that cannot be played are never logged as started; when none of the list plays,
// the loop ends after one pass with a message on stderr and status 1.
TEST_F(CliLoopTest, AListWhereNothingPlaysEndsWithAMessage) {
    Write("a.mp3", "not audio\n");
    Write("b.mp3", "not audio either\n");
    int status = -1;
    const std::string out = Shell("timeout 60 $cli loop --log " + Q("play.log") + " " +
                                      Playlist({File("a.mp3"), File("b.mp3")}) + " 2>&1",
                                  &status);
    EXPECT_EQ(status, 1) << out;
    EXPECT_TRUE(ParseStarts(out).empty()) << out;
    EXPECT_NE(out.find("None of the songs in the list could be played"), std::string::npos) << out;
    EXPECT_EQ(out.find("WinAmp"), std::string::npos) << out;
    const std::string text = Read("play.log");
    EXPECT_EQ(text.find(File("a.mp3")), std::string::npos) << text;
    EXPECT_EQ(text.find(File("b.mp3")), std::string::npos) << text;
}

TEST_F(CliLoopTest, BadArgumentsAndMissingPlaylists) {
    ExpectFailures({{"loop", 2}, {"loop --from x " + Q("l.qmx"), 2}, {"loop " + Q("none.qmx"), 1}});
}

} // namespace
