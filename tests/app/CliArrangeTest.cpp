#include "CliSupport.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

using TestFiles::ShellQuote;

namespace {

// Each test gets its own settings and program folders, and a playlist of three songs of
// different lengths, made in the order c, a, b with file-name titles.
class CliArrangeTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("XDG_CONFIG_HOME", m_dir.File("config").c_str(), 1);
        setenv("MIXOREL_HOME", m_dir.File("home").c_str(), 1);
        std::filesystem::create_directories(m_dir.File("music"));
        std::string paths;
        for (const auto& [name, frames] :
             {std::pair{"c.mp3", 100}, std::pair{"a.mp3", 400}, std::pair{"b.mp3", 50}}) {
            const std::string path = m_dir.File(std::string("music/") + name);
            WriteAll(path,
                     TestFiles::Frames(TestFiles::kMpeg1, TestFiles::kLayer3, 9, 0, 1, frames));
            paths += " " + ShellQuote(path);
        }
        ASSERT_EQ(Cli("playlist create " + ShellQuote(m_in) + " --template '%1'" + paths), 0);
    }
    void TearDown() override {
        unsetenv("XDG_CONFIG_HOME");
        unsetenv("MIXOREL_HOME");
    }
    static int Cli(const std::string& args) {
        return TestFiles::Run(std::string(MIXOREL_CLI) + " " + args + " 2>/dev/null");
    }
    std::string Titles(const std::string& qmx) {
        return TestFiles::Capture(std::string(MIXOREL_CLI) + " playlist dump " + ShellQuote(qmx) +
                                  " | /usr/bin/python3 -c " +
                                  ShellQuote("import json,sys\nd=json.load(sys.stdin)\n"
                                             "print([s['title'] for s in d['songs']])"));
    }

    TempDir m_dir;
    std::string m_in = m_dir.File("in.qmx");
    std::string m_out = m_dir.File("out.qmx");
};

TEST_F(CliArrangeTest, SortByTitle) {
    ASSERT_EQ(Titles(m_in), "['C.mp3', 'A.mp3', 'B.mp3']\n");
    ASSERT_EQ(Cli("playlist sort " + ShellQuote(m_in) + " --by title -o " + ShellQuote(m_out)), 0);
    EXPECT_EQ(Titles(m_out), "['A.mp3', 'B.mp3', 'C.mp3']\n");
    // The input is left as it was.
    EXPECT_EQ(Titles(m_in), "['C.mp3', 'A.mp3', 'B.mp3']\n");
}

TEST_F(CliArrangeTest, SortByDurationDescending) {
    ASSERT_EQ(
        Cli("playlist sort " + ShellQuote(m_in) + " --by duration --desc -o " + ShellQuote(m_out)),
        0);
    EXPECT_EQ(Titles(m_out), "['A.mp3', 'C.mp3', 'B.mp3']\n");
}

TEST_F(CliArrangeTest, ShuffleKeepsEverySong) {
    ASSERT_EQ(Cli("playlist shuffle " + ShellQuote(m_in) + " -o " + ShellQuote(m_out)), 0);
    const std::string sorted =
        TestFiles::Capture(std::string(MIXOREL_CLI) + " playlist dump " + ShellQuote(m_out) +
                           " | /usr/bin/python3 -c " +
                           ShellQuote("import json,sys\nd=json.load(sys.stdin)\n"
                                      "print(sorted(s['title'] for s in d['songs']))"));
    EXPECT_EQ(sorted, "['A.mp3', 'B.mp3', 'C.mp3']\n");
}

TEST_F(CliArrangeTest, BadArgumentsAndMissingInput) {
    EXPECT_EQ(Cli("playlist sort " + ShellQuote(m_in) + " --by colour -o " + ShellQuote(m_out)), 2);
    EXPECT_EQ(Cli("playlist sort " + ShellQuote(m_in) + " --by title"), 2);
    EXPECT_EQ(Cli("playlist shuffle " + ShellQuote(m_in)), 2);
    EXPECT_EQ(
        Cli("playlist shuffle " + ShellQuote(m_dir.File("none.qmx")) + " -o " + ShellQuote(m_out)),
        1);
    EXPECT_FALSE(std::filesystem::exists(m_out));
}

} // namespace
