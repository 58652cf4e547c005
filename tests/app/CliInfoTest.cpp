#include "CliSupport.h"

#include <gtest/gtest.h>

using namespace CliSupport;
using TestFiles::HaveTool;

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
            ff +
                "-c:a flac -metadata title=Flac -metadata artist=Band -metadata date=2001 "
                "-metadata track=2/9 -metadata genre=Jazz " +
                d + "/sub/song.flac",
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

    static inline TempDir* s_dir = nullptr;
    static inline bool s_ready = false;
};

TEST_F(CliInfoTest, FolderListingMatchesNamingEachFile) {
    // Files are opened by name in the open folder, by path after a subfolder (tone.wav
    // follows sub/); either way the row is what naming the file gives. Name order,
    // subfolders walked in place, hidden folders and non-music files included.
    const std::string byFolder = Cli("info " + ShellQuote(Music()));
    ASSERT_EQ(byFolder.substr(0, byFolder.find('\n')), kHeader);
    EXPECT_EQ(ParseInfo(byFolder).size(), 9u);
    // A path that cannot be read is reported in the status and does not stop the listing.
    std::string paths = " /no/such/file";
    for (const char* name :
         {"cbr.mp3", "layer2.mp2", "mpeg25.mp3", "notes.txt", "sub/.hidden/mpeg2.mp3",
          "sub/song.flac", "sub/song.wma", "sub/vbr.mp3", "tone.wav"}) {
        paths += " " + ShellQuote(Music() + "/" + name);
    }
    EXPECT_EQ(byFolder, Cli("info" + paths, 1));
}

// The columns of each kind of file, from one listing of the tree.
TEST_F(CliInfoTest, EachKindOfFile) {
    auto rows = ParseInfo(Cli("info " + ShellQuote(Music())));
    auto& cbr = rows["cbr.mp3"];
    auto& vbr = rows["vbr.mp3"];
    EXPECT_EQ(Columns(cbr, "result bitrate_kbps sample_rate vbr xing_frames id3v2_result "
                           "has_id3v1 title artist album year track genre comment"),
              "0|128|44100|0|-1|0|0|Cbr, \"quoted\"|Artiste|Album|1999|3|Rock|note");
    const long audioSize = std::stol(cbr["audio_size"]);
    EXPECT_LT(audioSize, std::stol(cbr["file_size"]));
    EXPECT_EQ(std::stol(cbr["duration_s"]), audioSize / 16000);
    // Xing VBR with ID3v1.
    EXPECT_EQ(Columns(vbr, "result vbr id3v2_result has_id3v1 title artist genre track year"),
              "0|1|2|1|V1Title|V1Artist|Pop|5|");
    EXPECT_GT(std::stol(vbr["xing_frames"]), 200);
    EXPECT_EQ(std::stol(vbr["audio_size"]), std::stol(vbr["file_size"]) - 128);
    // Low sampling rates and layer II.
    EXPECT_EQ(Columns(rows["mpeg2.mp3"], "sample_rate bitrate_kbps"), "22050|64");
    EXPECT_EQ(Columns(rows["mpeg25.mp3"], "sample_rate bitrate_kbps"), "11025|32");
    EXPECT_EQ(Columns(rows["layer2.mp2"], "result bitrate_kbps sample_rate"), "0|192|44100");
    for (const char* name : {"cbr.mp3", "vbr.mp3", "mpeg2.mp3", "layer2.mp2"}) {
        EXPECT_NEAR(std::stol(rows[name]["duration_s"]), 6, 1) << name;
    }
    // Files of other formats: the same columns, the duration to the millisecond, no ID3.
    EXPECT_EQ(Columns(rows["song.flac"], "result sample_rate channel_mode vbr xing_frames "
                                         "has_id3v1 title artist year track genre"),
              "0|44100|0|0|-1|0|Flac|Band|2001|2|Jazz");
    EXPECT_EQ(Columns(rows["tone.wav"], "result bitrate_kbps sample_rate duration_s title"),
              "0|2822|44100|6.000|");
    EXPECT_EQ(Columns(rows["song.wma"], "result bitrate_kbps sample_rate"), "0|128|44100");
    for (const char* name : {"song.flac", "song.wma"}) {
        EXPECT_NEAR(std::stod(rows[name]["duration_s"]), 6.0, 0.05) << name;
    }
    // A file no reader knows.
    EXPECT_EQ(Columns(rows["notes.txt"], "result bitrate_kbps xing_frames duration_s"), "4|0|-1|0");
    EXPECT_EQ(rows["notes.txt"]["audio_size"], rows["notes.txt"]["file_size"]);
}

} // namespace
