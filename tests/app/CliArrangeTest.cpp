#include "CliSupport.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace CliSupport;

namespace {

// A playlist of three songs of different lengths, made in the order c, a, b with
// file-name titles.
class CliArrangeTest : public CliTest {
protected:
    void SetUp() override {
        std::filesystem::create_directories(File("music"));
        std::string paths;
        for (const auto& [name, frames] :
             {std::pair{"c.mp3", 100}, std::pair{"a.mp3", 400}, std::pair{"b.mp3", 50}}) {
            WriteAll(File(std::string("music/") + name),
                     TestFiles::Frames(TestFiles::kMpeg1, TestFiles::kLayer3, 9, 0, 1, frames));
            paths += " " + Q(std::string("music/") + name);
        }
        ASSERT_EQ(Status("playlist create " + Q("in.qmx") + " --template '%1'" + paths), 0);
    }
    std::string Titles(const std::string& name, const std::string& order = "") {
        return Query("playlist dump " + Q(name), order + "([s['title'] for s in d['songs']])");
    }
};

TEST_F(CliArrangeTest, SortAndShuffleWriteTheOutputAndLeaveTheInput) {
    ASSERT_EQ(Titles("in.qmx"), "['C.mp3', 'A.mp3', 'B.mp3']\n");
    ASSERT_EQ(Status("playlist sort " + Q("in.qmx") + " --by title -o " + Q("out.qmx")), 0);
    EXPECT_EQ(Titles("out.qmx"), "['A.mp3', 'B.mp3', 'C.mp3']\n");
    EXPECT_EQ(Titles("in.qmx"), "['C.mp3', 'A.mp3', 'B.mp3']\n");
    ASSERT_EQ(Status("playlist sort " + Q("in.qmx") + " --by duration --desc -o " + Q("out.qmx")),
              0);
    EXPECT_EQ(Titles("out.qmx"), "['A.mp3', 'C.mp3', 'B.mp3']\n");
    ASSERT_EQ(Status("playlist shuffle " + Q("in.qmx") + " -o " + Q("shuffled.qmx")), 0);
    EXPECT_EQ(Titles("shuffled.qmx", "sorted"), "['A.mp3', 'B.mp3', 'C.mp3']\n");
}

TEST_F(CliArrangeTest, BadArgumentsAndMissingInput) {
    ExpectFailures({
        {"playlist sort " + Q("in.qmx") + " --by colour -o " + Q("out.qmx"), 2, "", "out.qmx"},
        {"playlist sort " + Q("in.qmx") + " --by title", 2},
        {"playlist shuffle " + Q("in.qmx"), 2},
        {"playlist shuffle " + Q("none.qmx") + " -o " + Q("out.qmx"), 1, "", "out.qmx"},
    });
}

} // namespace
