#include "CliSupport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace CliSupport;

namespace {

// A short stretch of MPEG 1 Layer III frames (128 kbit/s, 44100 Hz) without tags.
std::vector<std::uint8_t> PlainAudio() {
    return TestFiles::Frames(TestFiles::kMpeg1, TestFiles::kLayer3, 9, 0, 1, 40);
}

using Row = std::map<std::string, std::string>;

class CliTagTest : public CliTest {
protected:
    std::string NewSong(const std::string& name) {
        WriteAll(File(name), PlainAudio());
        return File(name);
    }
    static Row Info(const std::string& path) {
        auto rows = ParseInfo(Cli("info " + ShellQuote(path)));
        return rows.empty() ? Row{} : rows.begin()->second;
    }
    static int Tag(const std::string& path, const std::string& args) {
        return Status("tag " + ShellQuote(path) + " " + args);
    }
};

TEST_F(CliTagTest, WritesBothOrOneTagAndRemovesThem) {
    std::string song = NewSong("a.mp3");
    ASSERT_EQ(Tag(song, "--title 'Привет, мир' --artist 'Ünïcödé' --album 東京 --year 2003"
                        " --comment 'line \"one\"' --track 7 --genre Rock"),
              0);
    // The audio is unchanged behind the tags.
    EXPECT_EQ(Columns(Info(song), "result id3v2_result has_id3v1 title artist album year track "
                                  "genre comment audio_size"),
              "0|0|1|Привет, мир|Ünïcödé|東京|2003|7|Rock|line \"one\"|" +
                  std::to_string(PlainAudio().size()));
    // Fields not given keep their values.
    ASSERT_EQ(Tag(song, "--title Second"), 0);
    EXPECT_EQ(Columns(Info(song), "title artist track genre"), "Second|Ünïcödé|7|Rock");
    const auto tagged = ReadAll(song);
    ASSERT_EQ(Tag(song, ""), 0);
    EXPECT_EQ(ReadAll(song), tagged) << "nothing given, nothing written";

    // Only one tag, and removals.
    song = NewSong("b.mp3");
    ASSERT_EQ(Tag(song, "--v1-only --title Café --artist X"), 0);
    EXPECT_EQ(Columns(Info(song), "id3v2_result has_id3v1 title"), "2|1|Café");
    ASSERT_EQ(Tag(song, "--v2-only --album Y"), 0);
    // The title is taken over from the ID3v1 tag.
    EXPECT_EQ(Columns(Info(song), "id3v2_result title album"), "0|Café|Y");
    ASSERT_EQ(Tag(song, "--remove-v1 --blank-v2"), 0);
    EXPECT_EQ(Columns(Info(song), "id3v2_result has_id3v1 title result"), "4|0||0");
}

// A FLAC file gets the given fields in its own Vorbis comments, the rest kept; it has no
// ID3 tags to touch.
TEST_F(CliTagTest, WritesAFlacFilesOwnTag) {
    if (!TestFiles::HaveTool("ffmpeg")) {
        GTEST_SKIP() << "ffmpeg is not installed";
    }
    const std::string song = File("tune.flac");
    ASSERT_EQ(TestFiles::Run("ffmpeg -v error -f lavfi -i sine=d=1 -metadata title=Old "
                             "-metadata artist=Band -metadata date=1999 " +
                             ShellQuote(song)),
              0);
    ASSERT_EQ(Tag(song, "--title 'Nëw' --track 4"), 0);
    EXPECT_EQ(Columns(Info(song), "result has_id3v1 title artist year track"),
              "0|0|Nëw|Band|1999|4");
    EXPECT_NE(Tag(song, "--remove-v1"), 0);
    EXPECT_EQ(Columns(Info(song), "title artist"), "Nëw|Band");
}

TEST_F(CliTagTest, Failures) {
    NewSong("c.mp3");
    ASSERT_EQ(::chmod(NewSong("ro.mp3").c_str(), 0444), 0);
    ExpectFailures({{"tag " + Q("missing.mp3") + " --title X", 1, "missing.mp3"},
                    {"tag " + Q("c.mp3") + " --track 300", 2},
                    {"tag " + Q("c.mp3") + " --v1-only --v2-only", 2},
                    {"tag " + Q("c.mp3") + " --bogus", 2},
                    {"tag " + Q("ro.mp3") + " --title X", 1, "ro.mp3"}});
    EXPECT_EQ(ReadAll(File("c.mp3")), PlainAudio());
    EXPECT_EQ(ReadAll(File("ro.mp3")), PlainAudio());
}

} // namespace

// The auto-tagger from outside: names read from their end, defaults and the present tag
// as fallbacks, "Don't overwrite", and files it must leave byte for byte as they were.
TEST_F(CliTagTest, AutotagFromFileNames) {
    const std::string numbered = NewSong("07-Band-Song.mp3");
    const std::string plain = NewSong("Lonely.mp3");
    const std::string dashed = NewSong("-Song.mp3");
    auto bytes = PlainAudio();
    const auto block = TestFiles::Id3v1Block("Old", "Old Artist", "Old Album", "1990", "", 0, 17);
    bytes.insert(bytes.end(), block.begin(), block.end());
    WriteAll(File("X-Y.mp3"), bytes);
    const std::string readOnly = NewSong("R-O.mp3");
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
    Write("Wave-Form.wav", std::string(4096, '\0'));

    EXPECT_EQ(Cli("autotag --pattern '{TRACK}-{ARTIST}-{TITLE}' --album Best --genre '(17)Rock'"
                  " --dont-overwrite " +
                  ShellQuote(numbered) + " " + Q("X-Y.mp3") + " " + ShellQuote(readOnly) + " " +
                  Q("Wave-Form.wav")),
              "Operation finished. Auto-tagged 1 file(s).\n");
    // The default genre without its list prefix.
    EXPECT_EQ(Columns(Info(numbered), "track artist title album genre"), "7|Band|Song|Best|Rock");
    EXPECT_EQ(Info(File("X-Y.mp3"))["title"], "Old") << "Don't overwrite";
    EXPECT_EQ(ReadAll(readOnly), PlainAudio());
    EXPECT_EQ(Read("Wave-Form.wav"), std::string(4096, '\0'));

    // Without "Don't overwrite" the present tag fills what neither name nor defaults give.
    EXPECT_EQ(Cli("autotag --pattern '{ARTIST}-{TITLE}' " + ShellQuote(plain) + " " +
                  ShellQuote(dashed) + " " + Q("X-Y.mp3")),
              "Operation finished. Auto-tagged 3 file(s).\n");
    // No genre given: none, not the first of the table.
    EXPECT_EQ(Columns(Info(plain), "artist title genre"), "Lonely|Lonely|");
    EXPECT_EQ(Columns(Info(dashed), "artist title"), "|Song");
    // No track: version 1.0.
    EXPECT_EQ(Columns(Info(File("X-Y.mp3")), "artist album genre track"), "X|Old Album|Rock|");

    for (const char* bad : {"", "--pattern '{FOO}'", "--pattern '--'", "--pattern ''",
                            "--pattern '{TITLE}' --track 256"}) {
        EXPECT_EQ(Status(std::string("autotag ") + bad + " " + ShellQuote(plain)), 2) << bad;
    }
}
