#include "CliSupport.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace CliSupport;

namespace {

class CliPlaylistTest : public CliTest {
protected:
    void SetUp() override { std::filesystem::create_directories(File("music/sub")); }
    std::string Song(const std::string& name, const std::string& title) {
        WriteAll(File("music/" + name),
                 TestFiles::Frames(TestFiles::kMpeg1, TestFiles::kLayer3, 9, 0, 1, 100));
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
                   "d['signature'], [(s['title'], s['info'], s['bitrate'], "
                   "s['sample_rate'], s['channel_mode'], s['size']) for s in d['songs']]"),
              "qmx201-4 [('Band - Second Song', 1, 128000, 44100, 1, 41700), "
              "('A.mp3', 1, 128000, 44100, 1, 41700)]\n");
    EXPECT_EQ(Dump("out.qmx",
                   "d['songs'][0]['tag'][:6], len(d['songs'][0]['tag']), "
                   "d['songs'][1]['tag'][:6], d['songs'][0]['path'].endswith('/music/b.mp3'), "
                   "d['songs'][0]['start']"),
              "544147 256 000000 True {'status': 2, 'days': 0}\n");
    EXPECT_EQ(Dump("out.qmx", "d['alarm']['status'], d['locked'], d['player_commands_disabled']"),
              "2 False False\n");
}

TEST_F(CliPlaylistTest, TemplateFromTheOptionOrTheSettings) {
    const std::string song = ShellQuote(Song("x.mp3", "Tagged"));
    const std::string create = "playlist create " + Q("t.qmx") + " ";
    ASSERT_EQ(Status(create + "--template '%1' " + song), 0);
    EXPECT_EQ(Dump("t.qmx", "d['songs'][0]['title']"), "X.mp3\n");
    Settings("[list]\nid3tags=%4\n");
    ASSERT_EQ(Status(create + song), 0);
    EXPECT_EQ(Dump("t.qmx", "d['songs'][0]['title']"), "Tagged\n");
    // A file given by name is taken whatever its extension.
    ASSERT_EQ(Status(create + ShellQuote(Song("odd.xyz", ""))), 0);
    EXPECT_EQ(Dump("t.qmx", "len(d['songs'])"), "1\n");
}

TEST_F(CliPlaylistTest, BadFilesAreReportedWithStatusOne) {
    WriteAll(File("bad.qmx"), {8, 'n', 'o', 't', 'a', 'q', 'm', 'x', '!'});
    std::string err;
    EXPECT_EQ(Status("playlist dump " + Q("bad.qmx"), &err), 1);
    EXPECT_FALSE(err.empty());
    ExpectFailures({
        {"playlist dump " + Q("missing.qmx"), 1},
        {"playlist create " + Q("o.qmx") + " /no/such/song.mp3", 1, "", "o.qmx"},
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
