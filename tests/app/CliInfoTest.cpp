#include "CliSupport.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <gtest/gtest.h>

using namespace CliSupport;
using TestFiles::HaveTool;

using TestFiles::ShellQuote;

namespace {

constexpr const char* kHeader = "path,result,bitrate_kbps,sample_rate,channel_mode,vbr,xing_frames,"
                                "file_size,audio_size,duration_s,has_id3v1,id3v2_result,title,"
                                "artist,album,year,track,genre,comment";

// Music of every kind the reader meets, made by the usual encoders from a 6 s tone.
class CliInfoTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!HaveTool("sox") || !HaveTool("lame") || !HaveTool("ffmpeg")) {
            return;
        }
        s_dir = new TempDir();
        const std::string d = s_dir->Path() + "/music";
        const std::string wav = d + "/tone.wav";
        const std::string ff = "ffmpeg -nostdin -loglevel error -y -i " + ShellQuote(wav) + " ";
        const std::string commands[] = {
            "mkdir -p " + d + "/sub/.hidden",
            "sox -n -r 44100 -c 2 " + wav + " synth 6 sine 440 sine 660",
            "lame --quiet -b 128 --id3v2-only --tt 'Cbr, \"quoted\"' --ta Artiste --tl Album "
            "--ty 1999 --tn 3/12 --tg Rock --tc 'note' " +
                wav + " " + d + "/cbr.mp3",
            "lame --quiet -V 4 --id3v1-only --tt V1Title --ta V1Artist --tg Pop --tn 5 " + wav +
                " " + d + "/sub/vbr.mp3",
            "lame --quiet -b 64 --resample 22.05 " + wav + " " + d + "/sub/.hidden/mpeg2.mp3",
            "lame --quiet -b 32 --resample 11.025 " + wav + " " + d + "/mpeg25.mp3",
            ff + "-c:a mp2 -b:a 192k " + d + "/layer2.mp2",
            ff + "-c:a wmav2 -b:a 128k " + d + "/sub/song.wma",
            "printf 'not music' > " + d + "/notes.txt",
        };
        for (const std::string& command : commands) {
            if (TestFiles::Run(command) != 0) {
                ADD_FAILURE() << "cannot make test music: " << command;
                return;
            }
        }
        s_ready = true;
    }
    static void TearDownTestSuite() {
        delete s_dir;
        s_dir = nullptr;
    }
    void SetUp() override {
        if (!s_ready) {
            GTEST_SKIP() << "sox, lame and ffmpeg are needed";
        }
    }
    static std::string Music() { return s_dir->Path() + "/music"; }

    static TempDir* s_dir;
    static bool s_ready;
};

TempDir* CliInfoTest::s_dir = nullptr;
bool CliInfoTest::s_ready = false;

TEST_F(CliInfoTest, ListsEveryFileOfTheTreeInOrder) {
    int status = -1;
    const std::string csv = Cli("info " + ShellQuote(Music()), &status);
    EXPECT_EQ(status, 0);
    ASSERT_EQ(csv.substr(0, csv.find('\n')), kHeader);
    const auto rows = ParseInfo(csv);
    EXPECT_EQ(rows.size(), 8u); // hidden folder and non-music files included
    // Entries come in name order, subfolders walked in place.
    EXPECT_LT(csv.find("/cbr.mp3"), csv.find("/layer2.mp2"));
    EXPECT_LT(csv.find("/notes.txt"), csv.find("/sub/.hidden/mpeg2.mp3"));
    EXPECT_LT(csv.find("/sub/.hidden/mpeg2.mp3"), csv.find("/sub/song.wma"));
}

TEST_F(CliInfoTest, FolderListingMatchesNamingEachFile) {
    // Files are opened by their name in the folder while it is open, by their path after
    // a subfolder (tone.wav follows sub/); either way the row is what naming the file
    // alone gives.
    int status = -1;
    const std::string byFolder = Cli("info " + ShellQuote(Music()), &status);
    ASSERT_EQ(status, 0);
    std::string paths;
    for (const char* name : {"cbr.mp3", "layer2.mp2", "mpeg25.mp3", "notes.txt",
                             "sub/.hidden/mpeg2.mp3", "sub/song.wma", "sub/vbr.mp3", "tone.wav"}) {
        paths += " " + ShellQuote(Music() + "/" + name);
    }
    const std::string byPath = Cli("info" + paths, &status);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(byFolder, byPath);
}

TEST_F(CliInfoTest, ConstantBitRateWithId3v2) {
    auto rows = ParseInfo(Cli("info " + ShellQuote(Music() + "/cbr.mp3")));
    auto& r = rows["cbr.mp3"];
    EXPECT_EQ(r["result"], "0");
    EXPECT_EQ(r["bitrate_kbps"], "128");
    EXPECT_EQ(r["sample_rate"], "44100");
    EXPECT_EQ(r["vbr"], "0");
    EXPECT_EQ(r["xing_frames"], "-1");
    EXPECT_EQ(r["id3v2_result"], "0");
    EXPECT_EQ(r["has_id3v1"], "0");
    EXPECT_EQ(r["title"], "Cbr, \"quoted\"");
    EXPECT_EQ(r["artist"], "Artiste");
    EXPECT_EQ(r["album"], "Album");
    EXPECT_EQ(r["year"], "1999");
    EXPECT_EQ(r["track"], "3");
    EXPECT_EQ(r["genre"], "Rock");
    EXPECT_EQ(r["comment"], "note");
    const long fileSize = std::stol(r["file_size"]);
    const long audioSize = std::stol(r["audio_size"]);
    EXPECT_LT(audioSize, fileSize);
    EXPECT_EQ(std::stol(r["duration_s"]), audioSize / 16000);
    EXPECT_NEAR(std::stol(r["duration_s"]), 6, 1);
}

TEST_F(CliInfoTest, XingVbrWithId3v1) {
    auto rows = ParseInfo(Cli("info " + ShellQuote(Music() + "/sub/vbr.mp3")));
    auto& r = rows["vbr.mp3"];
    EXPECT_EQ(r["result"], "0");
    EXPECT_EQ(r["vbr"], "1");
    EXPECT_GT(std::stol(r["xing_frames"]), 200);
    EXPECT_EQ(r["has_id3v1"], "1");
    EXPECT_NE(r["id3v2_result"], "0");
    EXPECT_EQ(r["title"], "V1Title");
    EXPECT_EQ(r["artist"], "V1Artist");
    EXPECT_EQ(r["genre"], "Pop");
    EXPECT_EQ(r["track"], "5");
    EXPECT_EQ(r["year"], "");
    EXPECT_EQ(std::stol(r["audio_size"]), std::stol(r["file_size"]) - 128);
    EXPECT_NEAR(std::stol(r["duration_s"]), 6, 1);
}

TEST_F(CliInfoTest, LowSamplingRatesAndLayerTwo) {
    auto rows = ParseInfo(Cli("info " + ShellQuote(Music())));
    EXPECT_EQ(rows["mpeg2.mp3"]["sample_rate"], "22050");
    EXPECT_EQ(rows["mpeg2.mp3"]["bitrate_kbps"], "64");
    EXPECT_NEAR(std::stol(rows["mpeg2.mp3"]["duration_s"]), 6, 1);
    EXPECT_EQ(rows["mpeg25.mp3"]["sample_rate"], "11025");
    EXPECT_EQ(rows["mpeg25.mp3"]["bitrate_kbps"], "32");
    EXPECT_EQ(rows["layer2.mp2"]["result"], "0");
    EXPECT_EQ(rows["layer2.mp2"]["bitrate_kbps"], "192");
    EXPECT_EQ(rows["layer2.mp2"]["sample_rate"], "44100");
    EXPECT_NEAR(std::stol(rows["layer2.mp2"]["duration_s"]), 6, 1);
}

TEST_F(CliInfoTest, FilesWithoutFramesAndUnreadablePathsDoNotStopTheListing) {
    int status = -1;
    const std::string csv =
        Cli("info " + ShellQuote(Music() + "/tone.wav") + " /no/such/file " +
                ShellQuote(Music() + "/sub/song.wma") + " " + ShellQuote(Music() + "/notes.txt"),
            &status);
    EXPECT_EQ(status, 1); // the missing path is reported
    auto rows = ParseInfo(csv);
    ASSERT_EQ(rows.size(), 3u);
    for (const char* name : {"tone.wav", "song.wma", "notes.txt"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(rows[name]["result"], "4");
        EXPECT_EQ(rows[name]["bitrate_kbps"], "0");
        EXPECT_EQ(rows[name]["xing_frames"], "-1");
        EXPECT_EQ(rows[name]["duration_s"], "0");
        EXPECT_EQ(rows[name]["audio_size"], rows[name]["file_size"]);
    }
}

} // namespace
