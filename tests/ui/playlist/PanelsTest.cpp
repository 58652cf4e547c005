#include "ShellFixture.h"
#include "ui/playlist/CFindPosition.h"
#include "ui/playlist/CSeekPanel.h"

namespace {

TEST(SeekWindowTest, TitleNamesTheSliderPlaceOnlyWhileDragging) {
    EXPECT_EQ(CSeekPanel::TitleText(false, 65, 221).toStdString(), "Seek");
    EXPECT_EQ(CSeekPanel::TitleText(true, 65, 221).toStdString(), "Seek 1:05/3:41");
    EXPECT_EQ(CSeekPanel::TitleText(true, 0, 0).toStdString(), "Seek 0:00/0:00");
    EXPECT_EQ(CSeekPanel::TitleText(true, 600, 3600).toStdString(), "Seek 10:00/60:00");
}

// Lines: 0 "Rain song", 1 "Blue", 2 "rain", 3 "Summer rain".
TEST(FindPositionTest, SearchesOnFromTheLastFindAndWraps) {
    CMixorel2001Doc doc;
    for (const char* title : {"Rain song", "Blue", "rain", "Summer rain"}) {
        AppendSong(doc, std::string("/music/") + title, title);
    }
    struct Case {
        const char* text;
        bool wholeWord, down;
        int start;
        std::vector<int> found; // three searches in a row
    };
    const Case cases[] = {{"rain", false, true, -1, {0, 2, 3}},
                          {"rain", true, true, 0, {2, 2, 2}},
                          {"rain", false, false, 1, {0, 3, 2}},
                          {"blue", false, true, 3, {1, 1, 1}},
                          {"jazz", false, true, -1, {-1, -1, -1}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.text << c.wholeWord << c.down << c.start);
        CFindPosition find;
        const std::string pattern = CFindPosition::PatternFor(c.text, c.wholeWord);
        std::vector<int> found{find.FindSong(doc, pattern, c.down, c.start)};
        for (int i = 0; i < 2; ++i) {
            found.push_back(find.FindSong(doc, pattern, c.down, CFindPosition::kFromPosition));
        }
        EXPECT_EQ(found, c.found);
    }
}
} // namespace
