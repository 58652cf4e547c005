#include "CliSupport.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace CliSupport;
using TestFiles::HaveTool;

using TestFiles::ShellQuote;

namespace {

// A short stretch of MPEG 1 Layer III frames (128 kbit/s, 44100 Hz) without tags.
std::vector<std::uint8_t> PlainAudio() {
    return TestFiles::Frames(TestFiles::kMpeg1, TestFiles::kLayer3, 9, 0, 1, 40);
}

class CliTagTest : public ::testing::Test {
protected:
    std::string NewSong(const std::string& name) {
        const std::string path = m_dir.File(name);
        WriteAll(path, PlainAudio());
        return path;
    }
    std::map<std::string, std::string> Info(const std::string& path) {
        auto rows = ParseInfo(Cli("info " + ShellQuote(path)));
        return rows.begin() == rows.end() ? std::map<std::string, std::string>{}
                                          : rows.begin()->second;
    }
    int Tag(const std::string& args) {
        int status = -1;
        Cli("tag " + args, &status);
        return status;
    }

    TempDir m_dir;
};

TEST_F(CliTagTest, WritesBothTagsAndReadsThemBack) {
    const std::string song = NewSong("a.mp3");
    ASSERT_EQ(Tag(ShellQuote(song) +
                  " --title 'Привет, мир' --artist 'Ünïcödé' --album 東京 --year 2003"
                  " --comment 'line \"one\"' --track 7 --genre Rock"),
              0);
    auto r = Info(song);
    EXPECT_EQ(r["result"], "0");
    EXPECT_EQ(r["id3v2_result"], "0");
    EXPECT_EQ(r["has_id3v1"], "1");
    EXPECT_EQ(r["title"], "Привет, мир");
    EXPECT_EQ(r["artist"], "Ünïcödé");
    EXPECT_EQ(r["album"], "東京");
    EXPECT_EQ(r["year"], "2003");
    EXPECT_EQ(r["track"], "7");
    EXPECT_EQ(r["genre"], "Rock");
    EXPECT_EQ(r["comment"], "line \"one\"");
    // The audio is unchanged behind the tags.
    EXPECT_EQ(std::stol(r["audio_size"]), static_cast<long>(PlainAudio().size()));

    // Fields not given keep their values.
    ASSERT_EQ(Tag(ShellQuote(song) + " --title Second"), 0);
    r = Info(song);
    EXPECT_EQ(r["title"], "Second");
    EXPECT_EQ(r["artist"], "Ünïcödé");
    EXPECT_EQ(r["track"], "7");
    EXPECT_EQ(r["genre"], "Rock");
}

TEST_F(CliTagTest, OnlyOneTagAndRemovals) {
    const std::string song = NewSong("b.mp3");
    ASSERT_EQ(Tag(ShellQuote(song) + " --v1-only --title Café --artist X"), 0);
    auto r = Info(song);
    EXPECT_EQ(r["has_id3v1"], "1");
    EXPECT_NE(r["id3v2_result"], "0");
    EXPECT_EQ(r["title"], "Café");

    ASSERT_EQ(Tag(ShellQuote(song) + " --v2-only --album Y"), 0);
    r = Info(song);
    EXPECT_EQ(r["id3v2_result"], "0");
    EXPECT_EQ(r["title"], "Café"); // taken over from the ID3v1 tag
    EXPECT_EQ(r["album"], "Y");

    ASSERT_EQ(Tag(ShellQuote(song) + " --remove-v1 --blank-v2"), 0);
    r = Info(song);
    EXPECT_EQ(r["has_id3v1"], "0");
    EXPECT_NE(r["id3v2_result"], "0");
    EXPECT_EQ(r["title"], "");
    EXPECT_EQ(r["result"], "0");
}

TEST_F(CliTagTest, GenreReferencesShowTheTableName) {
    if (!HaveTool("mid3v2")) {
        GTEST_SKIP() << "mid3v2 (python3-mutagen) is needed";
    }
    const std::pair<const char*, const char*> cases[] = {{"(17)", "Rock"},
                                                         {"17", "Rock"},
                                                         {"(17)Rock", "Rock"},
                                                         {"(200)", ""},
                                                         {"Chillwave", "Chillwave"}};
    for (const auto& [stored, shown] : cases) {
        SCOPED_TRACE(stored);
        const std::string song = NewSong("g.mp3");
        // mutagen turns some references into names on writing; write the raw frame.
        ASSERT_EQ(TestFiles::Run("/usr/bin/python3 -c " +
                                 ShellQuote("import sys\nfrom mutagen.id3 import ID3, TCON, TIT2\n"
                                            "t = ID3()\nt.add(TIT2(encoding=0, text='x'))\n"
                                            "f = TCON(encoding=0, text=sys.argv[2])\n"
                                            "t.add(f)\nt.save(sys.argv[1], v2_version=3)\n") +
                                 " " + ShellQuote(song) + " " + ShellQuote(stored)),
                  0);
        EXPECT_EQ(Info(song)["genre"], shown);
    }
}

TEST_F(CliTagTest, FailuresAreReportedAndLeaveTheFileAlone) {
    EXPECT_NE(Tag(ShellQuote(m_dir.File("missing.mp3")) + " --title X"), 0);
    EXPECT_EQ(Tag(ShellQuote(NewSong("c.mp3")) + " --track 300"), 2);
    EXPECT_EQ(Tag(ShellQuote(NewSong("c.mp3")) + " --v1-only --v2-only"), 2);
    EXPECT_EQ(Tag(ShellQuote(NewSong("c.mp3")) + " --bogus"), 2);

    const std::string song = NewSong("ro.mp3");
    ASSERT_EQ(::chmod(song.c_str(), 0444), 0);
    int status = -1;
    const std::string err = TestFiles::Capture(std::string(MIXOREL_CLI) + " tag " +
                                                   ShellQuote(song) + " --title X 2>&1 >/dev/null",
                                               &status);
    EXPECT_EQ(status, 1);
    EXPECT_NE(err.find("ro.mp3"), std::string::npos);
    EXPECT_EQ(ReadAll(song), PlainAudio());
}

} // namespace

// The auto-tagger from outside: names read from their end, defaults and the present tag
// as fallbacks, "Don't overwrite", and files it must leave byte for byte as they were.
TEST_F(CliTagTest, AutotagFromFileNames) {
    const std::string numbered = NewSong("07-Band-Song.mp3");
    const std::string plain = NewSong("Lonely.mp3");
    const std::string dashed = NewSong("-Song.mp3");
    const std::string tagged = m_dir.File("X-Y.mp3");
    auto bytes = PlainAudio();
    const auto block = TestFiles::Id3v1Block("Old", "Old Artist", "Old Album", "1990", "", 0, 17);
    bytes.insert(bytes.end(), block.begin(), block.end());
    WriteAll(tagged, bytes);
    const std::string readOnly = NewSong("R-O.mp3");
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
    const std::string wav = m_dir.File("Wave-Form.wav");
    WriteAll(wav, std::vector<std::uint8_t>(4096, 0));
    const auto wavBefore = ReadAll(wav);
    const auto readOnlyBefore = ReadAll(readOnly);

    int status = -1;
    const std::string out = Cli("autotag --pattern '{TRACK}-{ARTIST}-{TITLE}' --album Best"
                                " --genre '(17)Rock' --dont-overwrite " +
                                    ShellQuote(numbered) + " " + ShellQuote(tagged) + " " +
                                    ShellQuote(readOnly) + " " + ShellQuote(wav),
                                &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out, "Operation finished. Auto-tagged 1 file(s).\n");
    auto r = Info(numbered);
    EXPECT_EQ(r["track"], "7");
    EXPECT_EQ(r["artist"], "Band");
    EXPECT_EQ(r["title"], "Song");
    EXPECT_EQ(r["album"], "Best");
    EXPECT_EQ(r["genre"], "Rock") << "the default genre without its list prefix";
    EXPECT_EQ(Info(tagged)["title"], "Old") << "Don't overwrite";
    EXPECT_EQ(ReadAll(readOnly), readOnlyBefore);
    EXPECT_EQ(ReadAll(wav), wavBefore);

    // Without "Don't overwrite" the present tag fills what neither name nor defaults give.
    EXPECT_EQ(Cli("autotag --pattern '{ARTIST}-{TITLE}' " + ShellQuote(plain) + " " +
                  ShellQuote(dashed) + " " + ShellQuote(tagged)),
              "Operation finished. Auto-tagged 3 file(s).\n");
    r = Info(plain);
    EXPECT_EQ(r["artist"], "Lonely");
    EXPECT_EQ(r["title"], "Lonely");
    EXPECT_EQ(r["genre"], "") << "no genre given: none, not the first of the table";
    EXPECT_EQ(Info(dashed)["artist"], "");
    EXPECT_EQ(Info(dashed)["title"], "Song");
    r = Info(tagged);
    EXPECT_EQ(r["artist"], "X");
    EXPECT_EQ(r["album"], "Old Album");
    EXPECT_EQ(r["genre"], "Rock");
    EXPECT_EQ(r["track"], "") << "no track: version 1.0";

    for (const char* bad : {"", "--pattern '{FOO}'", "--pattern '--'", "--pattern ''",
                            "--pattern '{TITLE}' --track 256"}) {
        Cli(std::string("autotag ") + bad + " " + ShellQuote(plain), &status);
        EXPECT_EQ(status, 2) << bad;
    }
}
