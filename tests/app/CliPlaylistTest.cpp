#include "CliSupport.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

using namespace CliSupport;
using TestFiles::ShellQuote;

namespace {

// Each test gets its own settings and program folders.
class CliPlaylistTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("XDG_CONFIG_HOME", m_dir.File("config").c_str(), 1);
        setenv("MIXOREL_HOME", m_dir.File("home").c_str(), 1);
        std::filesystem::create_directories(m_dir.File("music/sub"));
    }
    void TearDown() override {
        unsetenv("XDG_CONFIG_HOME");
        unsetenv("MIXOREL_HOME");
    }
    std::string Song(const std::string& name, const std::string& title) {
        const std::string path = m_dir.File("music/" + name);
        WriteAll(path, TestFiles::Frames(TestFiles::kMpeg1, TestFiles::kLayer3, 9, 0, 1, 100));
        if (!title.empty()) {
            EXPECT_EQ(TestFiles::Run(std::string(MIXOREL_CLI) + " tag " + ShellQuote(path) +
                                     " --title " + ShellQuote(title) + " --artist Band"),
                      0);
        }
        return path;
    }
    // Runs a Python expression over the dumped JSON (bound to d) and answers its output.
    std::string Query(const std::string& qmx, const std::string& expression) {
        return TestFiles::Capture(
            std::string(MIXOREL_CLI) + " playlist dump " + ShellQuote(qmx) +
            " | /usr/bin/python3 -c " +
            ShellQuote("import json,sys\nd=json.load(sys.stdin)\nprint(" + expression + ")"));
    }

    TempDir m_dir;
};

TEST_F(CliPlaylistTest, CreateWalksFoldersAndReadsEverySong) {
    Song("b.mp3", "Second Song");
    Song("sub/a.mp3", "");
    Song("notes.txt", "");
    const std::string qmx = m_dir.File("out.qmx");
    ASSERT_EQ(TestFiles::Run(std::string(MIXOREL_CLI) + " playlist create " + ShellQuote(qmx) +
                             " " + ShellQuote(m_dir.File("music"))),
              0);
    EXPECT_EQ(Query(qmx, "d['signature'], len(d['songs'])"), "qmx201-4 2\n");
    // Name order, subfolders in place; the default template "%3 - %4" with the tag, the
    // title-cased file name without one.
    EXPECT_EQ(Query(qmx, "[s['title'] for s in d['songs']]"), "['Band - Second Song', 'A.mp3']\n");
    EXPECT_EQ(
        Query(
            qmx,
            "[(s['info'], s['bitrate'], s['sample_rate'], s['channel_mode']) for s in d['songs']]"),
        "[(1, 128000, 44100, 1), (1, 128000, 44100, 1)]\n");
    // Sizes are the audio without tags; the ID3v1 block is kept as hex.
    EXPECT_EQ(Query(qmx, "[s['size'] for s in d['songs']]"), "[41700, 41700]\n");
    EXPECT_EQ(
        Query(qmx, "d['songs'][0]['tag'][:6], len(d['songs'][0]['tag']), d['songs'][1]['tag'][:6]"),
        "544147 256 000000\n");
    EXPECT_EQ(Query(qmx, "d['songs'][0]['path'].endswith('/music/b.mp3'), d['songs'][0]['start']"),
              "True {'status': 2, 'days': 0}\n");
    EXPECT_EQ(Query(qmx, "d['alarm']['status'], d['locked'], d['player_commands_disabled']"),
              "2 False False\n");
}

TEST_F(CliPlaylistTest, TemplateFromTheOptionOrTheSettings) {
    const std::string song = Song("x.mp3", "Tagged");
    const std::string qmx = m_dir.File("t.qmx");
    const std::string create =
        std::string(MIXOREL_CLI) + " playlist create " + ShellQuote(qmx) + " ";
    ASSERT_EQ(TestFiles::Run(create + "--template '%1' " + ShellQuote(song)), 0);
    EXPECT_EQ(Query(qmx, "d['songs'][0]['title']"), "X.mp3\n");

    std::filesystem::create_directories(m_dir.File("config/Mixorel"));
    WriteAll(m_dir.File("config/Mixorel/Mixorel.ini"),
             {'[', 'l', 'i', 's', 't', ']', '\n', 'i', 'd', '3', 't', 'a', 'g', 's', '=', '%', '4',
              '\n'});
    ASSERT_EQ(TestFiles::Run(create + ShellQuote(song)), 0);
    EXPECT_EQ(Query(qmx, "d['songs'][0]['title']"), "Tagged\n");

    // A file given by name is taken whatever its extension.
    ASSERT_EQ(TestFiles::Run(create + ShellQuote(Song("odd.xyz", ""))), 0);
    EXPECT_EQ(Query(qmx, "len(d['songs'])"), "1\n");
}

TEST_F(CliPlaylistTest, BadFilesAreReportedWithStatusOne) {
    const std::string bad = m_dir.File("bad.qmx");
    WriteAll(bad, {8, 'n', 'o', 't', 'a', 'q', 'm', 'x', '!'});
    int status = -1;
    const std::string err = TestFiles::Capture(std::string(MIXOREL_CLI) + " playlist dump " +
                                                   ShellQuote(bad) + " 2>&1 >/dev/null",
                                               &status);
    EXPECT_EQ(status, 1);
    EXPECT_FALSE(err.empty());
    Cli("playlist dump " + ShellQuote(m_dir.File("missing.qmx")), &status);
    EXPECT_EQ(status, 1);
    Cli("playlist create " + ShellQuote(m_dir.File("o.qmx")) + " /no/such/song.mp3", &status);
    EXPECT_EQ(status, 1);
    EXPECT_FALSE(std::filesystem::exists(m_dir.File("o.qmx")));
}

} // namespace

TEST_F(CliPlaylistTest, WalkPrintsTheWalkersTree) {
    Song("a.mp3", "Zebra");
    Song("b.mp3", "Apple");
    Song("c.mp3", "");
    const std::string qmx = m_dir.File("list.qmx");
    ASSERT_EQ(TestFiles::Run(std::string(MIXOREL_CLI) + " playlist create " + ShellQuote(qmx) +
                             " --template %4 " + ShellQuote(m_dir.File("music"))),
              0);
    const std::string walk = std::string(MIXOREL_CLI) + " playlist walk " + ShellQuote(qmx);
    EXPECT_EQ(TestFiles::Capture(walk),
              "All (3)\n  Band (2)\n    ~unknown~ (2)\n  ~No Tag Info~ (1)\n"
              "    ~No Tag Info~ (1)\n");
    EXPECT_EQ(TestFiles::Capture(walk + " --by Genre --songs"),
              "All (3)\n  ~unrecognized~ (2)\n    Apple\n    Zebra\n  ~No Tag Info~ (1)\n"
              "    C.mp3\n");
    int status = 0;
    TestFiles::Capture(walk + " --by Composer 2>/dev/null", &status);
    EXPECT_EQ(status, 2);
}
