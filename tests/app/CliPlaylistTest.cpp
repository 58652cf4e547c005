#include "CliSupport.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace CliSupport;

namespace {

class CliPlaylistTest : public CliTest {
protected:
    void SetUp() override { std::filesystem::create_directories(File("music/sub")); }
    std::string Song(const std::string& name, const std::string& title, int frames = 100) {
        WriteAll(File("music/" + name),
                 TestFiles::Frames(TestFiles::kMpeg1, TestFiles::kLayer3, 9, 0, 1, frames));
        if (!title.empty()) {
            EXPECT_EQ(Status("tag " + Q("music/" + name) + " --title " + ShellQuote(title) +
                             " --artist Band"),
                      0);
        }
        return File("music/" + name);
    }
    std::string Dump(const std::string& name, const std::string& expression) {
        return Query("playlist dump " + Q(name), expression);
    }
};

TEST_F(CliPlaylistTest, CreateWalksFoldersAndReadsEverySong) {
    Song("b.mp3", "Second Song");
    Song("sub/a.mp3", "");
    Song("notes.txt", "");
    ASSERT_EQ(Status("playlist create " + Q("out.qmx") + " " + Q("music")), 0);
    // Name order, subfolders in place; the default template "%3 - %4" with the tag, the
    // title-cased file name without one. Sizes are the audio without tags; the ID3v1
    // block is kept as hex.
    EXPECT_EQ(Dump("out.qmx",
                   "d['signature'], [(s['title'], s['info'], s['bitrate'], s['sample_rate'], "
                   "s['channel_mode'], s['size'], s['tag'][:6], len(s['tag'])) for s in "
                   "d['songs']], d['songs'][0]['path'].endswith('/music/b.mp3'), "
                   "d['songs'][0]['start'], d['alarm']['status'], d['locked'], "
                   "d['player_commands_disabled']"),
              "qmx201-4 [('Band - Second Song', 1, 128000, 44100, 1, 41700, '544147', 256), "
              "('A.mp3', 1, 128000, 44100, 1, 41700, '000000', 256)] True "
              "{'status': 2, 'days': 0} 2 False False\n");
}

TEST_F(CliPlaylistTest, TemplateFromTheOptionOrTheSettings) {
    const std::string song = ShellQuote(Song("x.mp3", "Tagged"));
    const std::string create = "playlist create " + Q("t.qmx") + " ";
    ASSERT_EQ(Status(create + "--template '%1' " + song), 0);
    EXPECT_EQ(Dump("t.qmx", "d['songs'][0]['title']"), "X.mp3\n");
    Settings("[list]\nid3tags=%4\n");
    // A file given by name is taken whatever its extension.
    ASSERT_EQ(Status(create + song + " " + ShellQuote(Song("odd.xyz", ""))), 0);
    EXPECT_EQ(Dump("t.qmx", "[s['title'] for s in d['songs']]"), "['Tagged', 'Odd.xyz']\n");
}

TEST_F(CliPlaylistTest, BadFilesAreReportedWithStatusOne) {
    WriteAll(File("bad.qmx"), {8, 'n', 'o', 't', 'a', 'q', 'm', 'x', '!'});
    ExpectFailures({
        {"playlist dump " + Q("bad.qmx"), 1, "bad.qmx: The file is not a Mixorel playlist"},
        {"playlist dump " + Q("missing.qmx"), 1},
        {"playlist create " + Q("o.qmx") + " /no/such/song.mp3", 1, "", "o.qmx"},
    });
}

// A playlist of three songs of different lengths, made in the order c, a, b with
// file-name titles.
class CliArrangeTest : public CliPlaylistTest {
protected:
    void SetUp() override {
        CliPlaylistTest::SetUp();
        std::string paths;
        for (const auto& [name, frames] :
             {std::pair{"c.mp3", 100}, std::pair{"a.mp3", 400}, std::pair{"b.mp3", 50}}) {
            paths += " " + ShellQuote(Song(name, "", frames));
        }
        ASSERT_EQ(Status("playlist create " + Q("in.qmx") + " --template '%1'" + paths), 0);
    }
    std::string Titles(const std::string& name, const std::string& order = "") {
        return Dump(name, order + "([s['title'] for s in d['songs']])");
    }
};

TEST_F(CliArrangeTest, SortAndShuffleWriteTheOutputAndLeaveTheInputOrFail) {
    ASSERT_EQ(Titles("in.qmx"), "['C.mp3', 'A.mp3', 'B.mp3']\n");
    ASSERT_EQ(Status("playlist sort " + Q("in.qmx") + " --by title -o " + Q("out.qmx")), 0);
    EXPECT_EQ(Titles("out.qmx"), "['A.mp3', 'B.mp3', 'C.mp3']\n");
    EXPECT_EQ(Titles("in.qmx"), "['C.mp3', 'A.mp3', 'B.mp3']\n");
    ASSERT_EQ(Status("playlist sort " + Q("in.qmx") + " --by duration --desc -o " + Q("out.qmx")),
              0);
    EXPECT_EQ(Titles("out.qmx"), "['A.mp3', 'C.mp3', 'B.mp3']\n");
    ASSERT_EQ(Status("playlist shuffle " + Q("in.qmx") + " -o " + Q("shuffled.qmx")), 0);
    EXPECT_EQ(Titles("shuffled.qmx", "sorted"), "['A.mp3', 'B.mp3', 'C.mp3']\n");
    ExpectFailures({
        {"playlist sort " + Q("in.qmx") + " --by colour -o " + Q("bad.qmx"), 2, "", "bad.qmx"},
        {"playlist sort " + Q("in.qmx") + " --by title", 2},
        {"playlist shuffle " + Q("in.qmx"), 2},
        {"playlist shuffle " + Q("none.qmx") + " -o " + Q("bad.qmx"), 1, "", "bad.qmx"},
    });
}

// playlist import and playlist filter end to end over a small tree of music files:
//   music/ a.mp3 b.mp3 .hidden.mp3 notes.txt sub/ c.mp3 d.wav
class CliImportTest : public CliPlaylistTest {
protected:
    void SetUp() override {
        CliPlaylistTest::SetUp();
        for (const char* name : {"a.mp3", "b.mp3", ".hidden.mp3", "sub/c.mp3", "sub/d.wav"}) {
            Song(name, "", 40);
        }
        Write("music/notes.txt", "x");
    }
    // Sorted file names, bit rates and info flags of a playlist's songs.
    std::string Songs(const std::string& name) {
        return Dump(name, "sorted((s['path'].rsplit('/',1)[1], s['bitrate'], s['info']) "
                          "for s in d['songs'])");
    }
    std::string Import(const std::string& extra = "") {
        return Cli("playlist import " + Q("music") + extra);
    }
};

// Recursive by default, hidden files included, every song read before saving.
TEST_F(CliImportTest, ImportReadsEverySongOfTheSetKinds) {
    EXPECT_EQ(Import(" -o " + Q("out.qmx")), "5 file(s) imported\n");
    EXPECT_EQ(Songs("out.qmx"),
              "[('.hidden.mp3', 128000, 1), ('a.mp3', 128000, 1), "
              "('b.mp3', 128000, 1), ('c.mp3', 128000, 1), ('d.wav', 128000, 1)]\n");
    EXPECT_EQ(Cli("playlist import " + Q("music/") + " --single-folder -o " + Q("out.qmx")),
              "3 file(s) imported\n");
    // The extension list comes from the settings under XDG_CONFIG_HOME.
    Settings("[global]\nfileextensions=wav\n");
    EXPECT_EQ(Import(" -o " + Q("out.qmx")), "1 file(s) imported\n");
}

TEST_F(CliImportTest, ImportFailures) {
    ExpectFailures({
        {"playlist import " + Q("none") + " -o " + Q("out.qmx"), 1, "none"},
        {"playlist import " + Q("music/a.mp3") + " -o " + Q("out.qmx"), 1, "", "out.qmx"},
        {"playlist import " + Q("music") + " -o " + Q("no/out.qmx"), 1, "cannot be written"},
        {"playlist import " + Q("music"), 2},
    });
}

// The patterns' forms are the list filter's; here the command around it.
TEST_F(CliImportTest, Filter) {
    Import(" -o " + Q("out.qmx"));
    ASSERT_EQ(Status("playlist filter " + Q("out.qmx") + " '[a-b]*' -o " + Q("filtered.qmx")), 0);
    EXPECT_EQ(Songs("filtered.qmx"), "[('a.mp3', 128000, 1), ('b.mp3', 128000, 1)]\n");
    std::string err;
    EXPECT_EQ(Status("playlist filter " + Q("out.qmx") + " zzz -o " + Q("none.qmx"), &err), 1);
    EXPECT_EQ(err, "Search failed. No songs found.\n");
    EXPECT_FALSE(std::filesystem::exists(File("none.qmx")));
    ExpectFailures({
        {"playlist filter " + Q("none.qmx") + " a -o " + Q("filtered.qmx"), 1},
        {"playlist filter " + Q("out.qmx") + " a", 2},
    });
}

} // namespace

TEST_F(CliPlaylistTest, WalkPrintsTheWalkersTree) {
    Song("a.mp3", "Zebra");
    Song("b.mp3", "Apple");
    Song("c.mp3", "");
    ASSERT_EQ(Status("playlist create " + Q("list.qmx") + " --template %4 " + Q("music")), 0);
    const std::string walk = "playlist walk " + Q("list.qmx");
    EXPECT_EQ(Cli(walk), "All (3)\n  Band (2)\n    ~unknown~ (2)\n  ~No Tag Info~ (1)\n"
                         "    ~No Tag Info~ (1)\n");
    EXPECT_EQ(Cli(walk + " --by Genre --songs"),
              "All (3)\n  ~unrecognized~ (2)\n    Apple\n    Zebra\n  ~No Tag Info~ (1)\n"
              "    C.mp3\n");
    EXPECT_EQ(Status(walk + " --by Composer"), 2);
}
