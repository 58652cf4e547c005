#include "CliSupport.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace CliSupport;

namespace {

// playlist import and playlist filter end to end over a small tree of music files:
//   music/ a.mp3 b.mp3 .hidden.mp3 notes.txt sub/ c.mp3 d.wav
class CliImportTest : public CliTest {
protected:
    void SetUp() override {
        std::filesystem::create_directories(File("music/sub"));
        for (const char* name : {"a.mp3", "b.mp3", ".hidden.mp3", "sub/c.mp3", "sub/d.wav"}) {
            WriteAll(File(std::string("music/") + name),
                     TestFiles::Frames(TestFiles::kMpeg1, TestFiles::kLayer3, 9, 0, 1, 40));
        }
        Write("music/notes.txt", "x");
    }
    // Sorted file names, bit rates and info flags of a playlist's songs.
    std::string Songs(const std::string& name) {
        return Query("playlist dump " + Q(name),
                     "sorted((s['path'].rsplit('/',1)[1], s['bitrate'], s['info']) "
                     "for s in d['songs'])");
    }
    std::string Import(const std::string& extra = "") {
        int status = -1;
        const std::string out = Cli("playlist import " + Q("music") + extra, &status);
        EXPECT_EQ(status, 0);
        return out;
    }
};

// Recursive by default, hidden files included, every song read before saving.
TEST_F(CliImportTest, ImportReadsEverySong) {
    EXPECT_EQ(Import(" -o " + Q("out.qmx")), "5 file(s) imported\n");
    EXPECT_EQ(Songs("out.qmx"),
              "[('.hidden.mp3', 128000, 1), ('a.mp3', 128000, 1), "
              "('b.mp3', 128000, 1), ('c.mp3', 128000, 1), ('d.wav', 128000, 1)]\n");
    EXPECT_EQ(Cli("playlist import " + Q("music/") + " --single-folder -o " + Q("out.qmx")),
              "3 file(s) imported\n");
}

// The extension list comes from the settings under XDG_CONFIG_HOME.
TEST_F(CliImportTest, ImportHonoursTheExtensionSetting) {
    Settings("[global]\nfileextensions=wav\n");
    EXPECT_EQ(Import(" -o " + Q("out.qmx")), "1 file(s) imported\n");
}

// Links back up the tree and broken links end neither the scan nor the program.
TEST_F(CliImportTest, ImportSurvivesLoopsAndBrokenLinks) {
    std::filesystem::create_directory_symlink(File("music"), File("music/sub/loop"));
    std::filesystem::create_symlink(File("gone.mp3"), File("music/broken.mp3"));
    EXPECT_EQ(Import(" -o " + Q("out.qmx")), "6 file(s) imported\n");
    EXPECT_NE(Songs("out.qmx").find("('broken.mp3', 0, 1)"), std::string::npos);
}

TEST_F(CliImportTest, ImportFailures) {
    ExpectFailures({
        {"playlist import " + Q("none") + " -o " + Q("out.qmx"), 1, "none"},
        {"playlist import " + Q("music/a.mp3") + " -o " + Q("out.qmx"), 1, "", "out.qmx"},
        {"playlist import " + Q("music") + " -o " + Q("no/out.qmx"), 1, "cannot be written"},
        {"playlist import " + Q("music"), 2},
    });
}

TEST_F(CliImportTest, Filter) {
    Import(" -o " + Q("out.qmx"));
    // A word without stars matches anywhere, without letter case.
    ASSERT_EQ(Status("playlist filter " + Q("out.qmx") + " ' MP3 ' -o " + Q("filtered.qmx")), 0);
    EXPECT_EQ(Songs("filtered.qmx"), "[('.hidden.mp3', 128000, 1), ('a.mp3', 128000, 1), "
                                     "('b.mp3', 128000, 1), ('c.mp3', 128000, 1)]\n");
    ASSERT_EQ(Status("playlist filter " + Q("out.qmx") + " '[a-b]*' -o " + Q("filtered.qmx")), 0);
    EXPECT_EQ(Songs("filtered.qmx"), "[('a.mp3', 128000, 1), ('b.mp3', 128000, 1)]\n");

    std::string err;
    EXPECT_EQ(Status("playlist filter " + Q("out.qmx") + " zzz -o " + Q("none.qmx"), &err), 1);
    EXPECT_EQ(err, "Search failed. No songs found.\n");
    EXPECT_FALSE(std::filesystem::exists(File("none.qmx")));
    ExpectFailures({
        // A malformed pattern matches nothing.
        {"playlist filter " + Q("out.qmx") + " '[a-' -o " + Q("none.qmx"), 1},
        {"playlist filter " + Q("none.qmx") + " a -o " + Q("filtered.qmx"), 1},
        {"playlist filter " + Q("out.qmx") + " a", 2},
    });
}

} // namespace
