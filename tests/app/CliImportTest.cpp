#include "CliSupport.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

using TestFiles::ShellQuote;

namespace {

// playlist import and playlist filter end to end, each test with its own settings and
// program folders and a small tree of music files:
//   music/ a.mp3 b.mp3 .hidden.mp3 notes.txt sub/ c.mp3 d.wav
class CliImportTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("XDG_CONFIG_HOME", m_dir.File("config").c_str(), 1);
        setenv("MIXOREL_HOME", m_dir.File("home").c_str(), 1);
        std::filesystem::create_directories(m_dir.File("music/sub"));
        for (const char* name : {"a.mp3", "b.mp3", ".hidden.mp3", "sub/c.mp3", "sub/d.wav"}) {
            WriteAll(m_dir.File(std::string("music/") + name),
                     TestFiles::Frames(TestFiles::kMpeg1, TestFiles::kLayer3, 9, 0, 1, 40));
        }
        WriteAll(m_dir.File("music/notes.txt"), {'x'});
    }
    void TearDown() override {
        unsetenv("XDG_CONFIG_HOME");
        unsetenv("MIXOREL_HOME");
    }
    static int Cli(const std::string& args, std::string* out = nullptr,
                   std::string* err = nullptr) {
        int status = 0;
        const std::string output = TestFiles::Capture(
            std::string(MIXOREL_CLI) + " " + args + (err != nullptr ? " 2>&1" : " 2>/dev/null"),
            &status);
        if (out != nullptr) {
            *out = output;
        }
        if (err != nullptr) {
            *err = output;
        }
        return status;
    }
    // Sorted file names and bit rates of a playlist's songs.
    std::string Songs(const std::string& qmx) {
        return TestFiles::Capture(
            std::string(MIXOREL_CLI) + " playlist dump " + ShellQuote(qmx) +
            " | /usr/bin/python3 -c " +
            ShellQuote("import json,sys\nd=json.load(sys.stdin)\n"
                       "print(sorted((s['path'].rsplit('/',1)[1], s['bitrate'], s['info']) "
                       "for s in d['songs']))"));
    }

    TempDir m_dir;
    std::string m_music = m_dir.File("music");
    std::string m_out = m_dir.File("out.qmx");
};

// Recursive by default, hidden files included, every song read before saving.
TEST_F(CliImportTest, ImportReadsEverySong) {
    std::string out;
    ASSERT_EQ(Cli("playlist import " + ShellQuote(m_music) + " -o " + ShellQuote(m_out), &out), 0);
    EXPECT_EQ(out, "5 file(s) imported\n");
    EXPECT_EQ(Songs(m_out), "[('.hidden.mp3', 128000, 1), ('a.mp3', 128000, 1), "
                            "('b.mp3', 128000, 1), ('c.mp3', 128000, 1), ('d.wav', 128000, 1)]\n");
    ASSERT_EQ(Cli("playlist import " + ShellQuote(m_music + "/") + " --single-folder -o " +
                      ShellQuote(m_out),
                  &out),
              0);
    EXPECT_EQ(out, "3 file(s) imported\n");
}

// The extension list comes from the settings under XDG_CONFIG_HOME.
TEST_F(CliImportTest, ImportHonoursTheExtensionSetting) {
    std::filesystem::create_directories(m_dir.File("config/Mixorel"));
    const std::string ini = "[global]\nfileextensions=wav\n";
    WriteAll(m_dir.File("config/Mixorel/Mixorel.ini"),
             std::vector<std::uint8_t>(ini.begin(), ini.end()));
    std::string out;
    ASSERT_EQ(Cli("playlist import " + ShellQuote(m_music) + " -o " + ShellQuote(m_out), &out), 0);
    EXPECT_EQ(out, "1 file(s) imported\n");
}

// Links back up the tree and broken links end neither the scan nor the program.
TEST_F(CliImportTest, ImportSurvivesLoopsAndBrokenLinks) {
    std::filesystem::create_directory_symlink(m_music, m_dir.File("music/sub/loop"));
    std::filesystem::create_symlink(m_dir.File("gone.mp3"), m_dir.File("music/broken.mp3"));
    std::string out;
    ASSERT_EQ(Cli("playlist import " + ShellQuote(m_music) + " -o " + ShellQuote(m_out), &out), 0);
    EXPECT_EQ(out, "6 file(s) imported\n");
    EXPECT_NE(Songs(m_out).find("('broken.mp3', 0, 1)"), std::string::npos);
}

TEST_F(CliImportTest, ImportFailures) {
    std::string err;
    EXPECT_EQ(Cli("playlist import " + ShellQuote(m_dir.File("none")) + " -o " + ShellQuote(m_out),
                  nullptr, &err),
              1);
    EXPECT_NE(err.find("none"), std::string::npos) << err;
    EXPECT_EQ(Cli("playlist import " + ShellQuote(m_dir.File("music/a.mp3")) + " -o " +
                  ShellQuote(m_out)),
              1);
    EXPECT_FALSE(std::filesystem::exists(m_out));
    EXPECT_EQ(Cli("playlist import " + ShellQuote(m_music) + " -o " +
                      ShellQuote(m_dir.File("no/out.qmx")),
                  nullptr, &err),
              1);
    EXPECT_NE(err.find("cannot be written"), std::string::npos) << err;
    EXPECT_EQ(Cli("playlist import " + ShellQuote(m_music)), 2);
}

TEST_F(CliImportTest, Filter) {
    ASSERT_EQ(Cli("playlist import " + ShellQuote(m_music) + " -o " + ShellQuote(m_out)), 0);
    const std::string filtered = m_dir.File("filtered.qmx");
    // A word without stars matches anywhere, without letter case.
    ASSERT_EQ(Cli("playlist filter " + ShellQuote(m_out) + " ' MP3 ' -o " + ShellQuote(filtered)),
              0);
    EXPECT_EQ(Songs(filtered), "[('.hidden.mp3', 128000, 1), ('a.mp3', 128000, 1), "
                               "('b.mp3', 128000, 1), ('c.mp3', 128000, 1)]\n");
    ASSERT_EQ(Cli("playlist filter " + ShellQuote(m_out) + " '[a-b]*' -o " + ShellQuote(filtered)),
              0);
    EXPECT_EQ(Songs(filtered), "[('a.mp3', 128000, 1), ('b.mp3', 128000, 1)]\n");

    std::string err;
    const std::string none = m_dir.File("none.qmx");
    EXPECT_EQ(
        Cli("playlist filter " + ShellQuote(m_out) + " zzz -o " + ShellQuote(none), nullptr, &err),
        1);
    EXPECT_EQ(err, "Search failed. No songs found.\n");
    EXPECT_FALSE(std::filesystem::exists(none));
    // A malformed pattern matches nothing.
    EXPECT_EQ(Cli("playlist filter " + ShellQuote(m_out) + " '[a-' -o " + ShellQuote(none)), 1);
    EXPECT_EQ(Cli("playlist filter " + ShellQuote(none) + " a -o " + ShellQuote(filtered)), 1);
    EXPECT_EQ(Cli("playlist filter " + ShellQuote(m_out) + " a"), 2);
}

} // namespace
