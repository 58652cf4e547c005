#include "ShellFixture.h"
#include "ui/shell/CWindowArrangement.h"

#include <QCheckBox>
#include <QLabel>
#include <QMdiArea>
#include <QToolBar>

namespace {

TEST(WindowArrangementTest, CascadeStepsDownAndStartsOverWhenTheNextWouldNotFit) {
    const QSize window(560, 350);
    // Windows open before, area: the new window's place.
    const std::tuple<int, QSize, QPoint> cases[] = {
        {0, {800, 600}, {0, 0}},     {1, {800, 600}, {25, 25}},   {3, {800, 600}, {75, 75}},
        {9, {800, 600}, {225, 225}}, {10, {800, 600}, {0, 0}},    {2, {560, 350}, {50, 50}},
        {1, {500, 300}, {25, 25}},   {6, {500, 300}, {150, 150}}, {7, {500, 300}, {0, 0}}};
    for (const auto& [open, area, place] : cases) {
        EXPECT_EQ(CWindowArrangement::CascadePosition(open, area, window, 25), place)
            << open << " " << area.width() << "x" << area.height();
    }
}

TEST(WindowArrangementTest, TilingStacksFullWidthWindows) {
    EXPECT_EQ(CWindowArrangement::TileHorizontally({800, 600}, 3),
              (std::vector<QRect>{{0, 0, 800, 200}, {0, 200, 800, 200}, {0, 400, 800, 200}}));
    EXPECT_EQ(CWindowArrangement::TileHorizontally({800, 601}, 2),
              (std::vector<QRect>{{0, 0, 800, 300}, {0, 300, 800, 301}}));
    EXPECT_TRUE(CWindowArrangement::TileHorizontally({800, 600}, 0).empty());
}

class WindowsTest : public ShellTest {
protected:
    // The start-up's playlist and two more.
    QList<QMdiSubWindow*> OpenThree() {
        Start();
        Frame().resize(900, 800);
        for (const char* name : {"a", "b"}) {
            OpenView(name, 1);
        }
        QTest::qWait(50);
        return Frame().findChild<QMdiArea*>()->subWindowList(QMdiArea::CreationOrder);
    }
};

TEST_F(WindowsTest, OnlyTheFirstWindowOpensMaximized) {
    m_pStore->WriteProfileInt("global", "maximizechild", 1);
    const QList<QMdiSubWindow*> windows = OpenThree();
    ASSERT_EQ(windows.size(), 3);
    EXPECT_TRUE(windows[0]->isMaximized());
    for (int i = 1; i < 3; ++i) {
        EXPECT_FALSE(windows[i]->isMaximized()) << i;
        EXPECT_EQ(windows[i]->size(), QSize(560, 350)) << i;
    }
}

TEST_F(WindowsTest, NewWindowsCascadeAtTheirSize) {
    const QList<QMdiSubWindow*> windows = OpenThree();
    ASSERT_EQ(windows.size(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(windows[i]->size(), QSize(560, 350)) << i;
    }
    EXPECT_EQ(windows[0]->pos(), QPoint(0, 0));
    EXPECT_GT(windows[1]->y(), windows[0]->y());
    EXPECT_GT(windows[2]->y(), windows[1]->y());
    EXPECT_EQ(windows[2]->x() - windows[1]->x(), windows[1]->x() - windows[0]->x());
}

TEST_F(WindowsTest, RearrangeOnNewStacksFullWidthWindows) {
    m_pStore->WriteProfileInt("global", "rearrangeonnew", 1);
    const QList<QMdiSubWindow*> windows = OpenThree();
    ASSERT_EQ(windows.size(), 3);
    const QSize area = Frame().findChild<QMdiArea*>()->viewport()->size();
    const std::vector<QRect> places = CWindowArrangement::TileHorizontally(area, 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(windows[i]->geometry(), places[static_cast<std::size_t>(i)]) << i;
    }
}

// The main toolbar and the playlist window's bars carry their buttons, each with an icon;
// "Rem Played" and the volume slider sit in a bar, so the title pane of a 560-pixel window
// has room for a title.
TEST_F(WindowsTest, BarsCarryTheirButtonsAndTheTitlePaneHasRoom) {
    Start();
    Frame().resize(900, 700);
    Frame().show();
    CMixorel2001View& view = OpenView("a", 1);
    QTest::qWait(20);
    auto* main = Frame().findChild<QToolBar*>(QStringLiteral("MainToolBar"));
    ASSERT_NE(main, nullptr);
    CChildFrame* frame = Frame().FindFrame(*Frame().GetPlaylists().back());
    auto* transport = frame->findChild<QToolBar*>(QStringLiteral("PlaylistToolBar"));
    ASSERT_NE(transport, nullptr);
    for (QToolBar* bar : {main, transport}) {
        int buttons = 0;
        for (QAction* action : bar->actions()) {
            if (!action->isSeparator()) {
                ++buttons;
                EXPECT_FALSE(action->icon().isNull()) << action->text().toStdString();
            }
        }
        EXPECT_GE(buttons, 9) << bar->objectName().toStdString();
    }
    EXPECT_EQ(transport->actions().front(), view.GetAction(CMixorel2001View::kPlay));
    auto* volumeBar = frame->findChild<QToolBar*>(QStringLiteral("VolumeToolBar"));
    ASSERT_NE(volumeBar, nullptr);
    EXPECT_TRUE(volumeBar->isAncestorOf(frame->GetRemovePlayedBox()));
    EXPECT_EQ(frame->size(), QSize(CChildFrame::kDefaultWidth, CChildFrame::kDefaultHeight));
    QLabel* title = nullptr;
    for (QLabel* label : frame->findChildren<QLabel*>()) {
        title = label->toolTip().startsWith(QStringLiteral("Double click to see")) ? label : title;
    }
    ASSERT_NE(title, nullptr);
    EXPECT_GE(title->width(), 200);
}

// Without a tray host (offscreen has none, nor has GNOME by default) "minimizetotray"
// minimizes as usual: the window stays within reach.
TEST_F(WindowsTest, MinimizeToTrayWithoutATrayKeepsTheWindow) {
    m_pStore->WriteProfileInt("global", "minimizetotray", 1);
    Start();
    Frame().showMinimized();
    QTest::qWait(50);
    EXPECT_TRUE(Frame().isVisible());
}

} // namespace
