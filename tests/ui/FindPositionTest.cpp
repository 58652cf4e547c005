#include "ShellFixture.h"
#include "ui/CFindPosition.h"

namespace {

struct FindCase {
    const char* text;
    bool wholeWord;
    bool down;
    int start;
    std::vector<int> found; // three searches in a row
};

class FindPositionTest : public ::testing::TestWithParam<FindCase> {};

// Lines: 0 "Rain song", 1 "Blue", 2 "rain", 3 "Summer rain".
TEST_P(FindPositionTest, SearchesOnFromTheLastFindAndWraps) {
    const FindCase& c = GetParam();
    CMixorel2001Doc doc;
    for (const char* title : {"Rain song", "Blue", "rain", "Summer rain"}) {
        AppendSong(doc, std::string("/music/") + title, title);
    }
    CFindPosition find;
    const std::string pattern = CFindPosition::PatternFor(c.text, c.wholeWord);
    std::vector<int> found;
    found.push_back(find.FindSong(doc, pattern, c.down, c.start));
    for (int i = 0; i < 2; ++i) {
        found.push_back(find.FindSong(doc, pattern, c.down, CFindPosition::kFromPosition));
    }
    EXPECT_EQ(found, c.found);
}

INSTANTIATE_TEST_SUITE_P(Cases, FindPositionTest,
                         ::testing::Values(FindCase{"rain", false, true, -1, {0, 2, 3}},
                                           FindCase{"rain", true, true, 0, {2, 2, 2}},
                                           FindCase{"rain", false, false, 1, {0, 3, 2}},
                                           FindCase{"blue", false, true, 3, {1, 1, 1}},
                                           FindCase{"jazz", false, true, -1, {-1, -1, -1}}));

} // namespace
