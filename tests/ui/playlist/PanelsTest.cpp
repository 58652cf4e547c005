#include "ShellFixture.h"
#include "ui/playlist/CFindPosition.h"
#include "ui/playlist/CSeekPanel.h"
#include "ui/toolkit/CListFont.h"

#include <QSlider>

namespace {

TEST(SeekWindowTest, TitleNamesTheSliderPlaceOnlyWhileDragging) {
    EXPECT_EQ(CSeekPanel::TitleText(false, 65, 221).toStdString(), "Seek");
    EXPECT_EQ(CSeekPanel::TitleText(true, 65, 221).toStdString(), "Seek 1:05/3:41");
    EXPECT_EQ(CSeekPanel::TitleText(true, 0, 0).toStdString(), "Seek 0:00/0:00");
    EXPECT_EQ(CSeekPanel::TitleText(true, 600, 3600).toStdString(), "Seek 10:00/60:00");
}

// The floating seek window goes beside its playlist window, inside the screen and below the
// main window's menu bar (its bottom at y 60).
TEST(SeekWindowTest, OpensBesideThePlaylistWindow) {
    const QSize seek(560, 60);
    const QRect screen(0, 0, 1280, 1024);
    // Playlist window (global), the seek window's place.
    const std::pair<QRect, QPoint> cases[] = {
        {{100, 100, 560, 350}, {664, 100}}, // right of it
        {{600, 100, 560, 350}, {600, 454}}, // no room on the right: below
        {{600, 620, 560, 350}, {600, 556}}, // nor below: above
        {{600, 40, 680, 980}, {600, 960}},  // nowhere: over its lower edge
        {{0, 0, 700, 1024}, {704, 61}},     // right of it, below the menu bar
    };
    for (const auto& [playlist, place] : cases) {
        EXPECT_EQ(CSeekPanel::PlaceBeside(playlist, seek, screen, 60), place)
            << playlist.x() << "," << playlist.y();
    }
    QWidget parent;
    CSeekPanel panel(&parent);
    EXPECT_GE(panel.findChild<QSlider*>()->minimumWidth(), 300) << "a slider a user can drag";
}

TEST(ListFontTest, AFaceTheSystemLacksGivesTheDesktopsFont) {
    QFont desktop(QStringLiteral("Cantarell"));
    desktop.setPointSize(11);
    const QStringList families{QStringLiteral("DejaVu Sans"), QStringLiteral("Cantarell")};
    const std::tuple<const char*, int, const char*, double> cases[] = {
        {"Microsoft Sans Serif", 90, "Cantarell", 9.0},
        {"dejavu sans", 120, "DejaVu Sans", 12.0},
        {"", 0, "Cantarell", 11.0}};
    for (const auto& [face, tenths, family, points] : cases) {
        const QFont font = CListFont::Make(face, tenths, families, desktop);
        EXPECT_EQ(font.family().toStdString(), family) << face;
        EXPECT_DOUBLE_EQ(font.pointSizeF(), points) << face;
    }
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
