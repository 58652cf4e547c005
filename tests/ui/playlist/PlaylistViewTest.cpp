#include "ShellFixture.h"
#include "ui/playlist/CPlaylistViewRules.h"

#include "platform/mci/MciContext.h"
#include "playback/CPlayer.h"
#include "support/ScopedEnvironment.h"
#include "support/TestFiles.h"
#ifdef MIXOREL_HAVE_GST
#include "platform/gst/CGstMciContextFactory.h"
#endif

#include <QCheckBox>
#include <QToolTip>
#include <mutex>

namespace {

using Rules = CPlaylistViewRules;

TEST(PlaylistViewRulesTest, PaneTexts) {
    EXPECT_EQ(Rules::PlayerPaneText(1, true, 96, 221), "Looping 2:05/3:41");
    EXPECT_EQ(Rules::PlayerPaneText(1, false, 96, 221), "Playing 2:05/3:41");
    EXPECT_EQ(Rules::PlayerPaneText(3, true, 96, 221), "Paused loop");
    EXPECT_EQ(Rules::PlayerPaneText(3, false, 96, 221), "Paused");
    EXPECT_EQ(Rules::PlayerPaneText(0, false, 96, 221), "Stopped");
    EXPECT_EQ(Rules::PlayerPaneText(2, false, 96, 221), "");
    EXPECT_EQ(Rules::TotalPaneText(180 + 270), "0h 7m 30s") << "two songs of 3:00 and 4:30";
    EXPECT_EQ(Rules::CountPaneText(2, 10, 1), "2 file(s)");
    EXPECT_EQ(Rules::CountPaneText(1, 10, 1), "9 file(s)") << "one selected: the list's songs";
    EXPECT_EQ(Rules::TitlePaneText(false, "x", true, false, "y"), "") << "no player title";
    EXPECT_EQ(Rules::TitlePaneText(true, "x", false, true, "y"), "x");
    EXPECT_EQ(Rules::TitlePaneText(true, "x", true, false, "y"), "Now: x");
    EXPECT_EQ(Rules::TitlePaneText(true, "x", true, true, "y"), "Next: y");
    const std::string looping = "Looping 1:00/2:00";
    EXPECT_EQ(Rules::PaneTextAfterLoopLook(true, false, looping), "Idle") << "the look went off";
    EXPECT_EQ(Rules::PaneTextAfterLoopLook(true, true, looping), looping);
    EXPECT_EQ(Rules::PaneTextAfterLoopLook(false, true, looping), looping);
    EXPECT_EQ(Rules::PaneTextAfterLoopLook(false, false, looping), looping);
}

TEST(PlaylistViewRulesTest, EnablingOfTheTransportCommands) {
    // Whether the command is enabled with the facts of a ready list changed as given.
    const auto enabled = [](Rules::Command command, auto change) {
        Rules::TransportFacts facts{false, false, true, false, true, false, false, false};
        change(facts);
        return Rules::IsEnabled(command, facts);
    };
    const auto ready = [](auto&) {};
    EXPECT_TRUE(enabled(Rules::kPlay, ready));
    EXPECT_FALSE(enabled(Rules::kPlay, [](auto& f) { f.bCommandsDisabled = true; }));
    EXPECT_FALSE(enabled(Rules::kPlay, [](auto& f) { f.bHasSelection = false; }));
    EXPECT_TRUE(enabled(Rules::kLoop, [](auto& f) { f.bHasSelection = false; }));
    EXPECT_FALSE(enabled(Rules::kLoop, [](auto& f) { f.bEmpty = true; }));
    EXPECT_FALSE(enabled(Rules::kLoop, [](auto& f) { f.bRegionPlaying = true; }));
    EXPECT_FALSE(enabled(Rules::kPause, [](auto& f) { f.bPlayerActive = false; }));
    EXPECT_FALSE(enabled(Rules::kSeek, [](auto& f) { f.bRegionPlaying = true; }));
    EXPECT_FALSE(enabled(Rules::kNext, [](auto& f) { f.bLoopStopFlag = true; }));
    EXPECT_TRUE(enabled(Rules::kNext, [](auto& f) { f.bLoopStopFlag = f.bLoops = true; }));
    EXPECT_TRUE(enabled(Rules::kFadeNext, [](auto& f) { f.bLoopStopFlag = f.bScheduled = true; }));
    EXPECT_FALSE(enabled(Rules::kLoopStop, [](auto& f) { f.bLoopStopFlag = true; }));
    EXPECT_FALSE(enabled(Rules::kLoopStop, [](auto& f) { f.bCommandsDisabled = true; }));
    EXPECT_TRUE(enabled(Rules::kLoopStop, ready));
}

TEST(PlaylistViewRulesTest, LineLooksNextRoutingAndPositions) {
    EXPECT_EQ(Rules::LookOf(2, false, true), Rules::kNextToPlay) << "mark 2 at a region's end";
    EXPECT_EQ(Rules::LookOf(5, false, false), Rules::kNextToSchedule);
    EXPECT_EQ(Rules::LookOf(0, true, true), Rules::kRegionHeader);
    EXPECT_EQ(Rules::LookOf(1, false, true), Rules::kRegionLine);
    EXPECT_EQ(Rules::LookOf(4, false, false), Rules::kListLook);
    EXPECT_EQ(Rules::LookOf(2, false, false, Rules::kHotDefaultState), Rules::kListLook);

    int scheduled = 0, looping = 0;
    EXPECT_EQ(Rules::NextTarget(true, &scheduled, &looping), &scheduled);
    EXPECT_EQ(Rules::NextTarget(false, &scheduled, &looping), &looping);
    EXPECT_EQ(Rules::NextTarget(false, nullptr, nullptr), nullptr);

    EXPECT_EQ(Rules::InsertAfter(Rules::kNextToPlayCode, 5, false, 0), 4);
    EXPECT_EQ(Rules::InsertAfter(Rules::kNextToPlayCode, 0, false, 0), -1);
    EXPECT_EQ(Rules::InsertAfter(Rules::kAtEndCode, 5, false, 0), Rules::kAfterLast);
    EXPECT_EQ(Rules::InsertAfter(3, 5, false, 7), 3);
    EXPECT_EQ(Rules::InsertAfter(3, 5, true, 7), 7);
    // Line at the drop point, lines; the drop's target and the line it goes after.
    const int drops[][4] = {
        {3, 10, 3, 2}, {-1, 10, 10, Rules::kAfterLast}, {0, 10, 0, -1}, {-1, 0, 0, -1}};
    for (const auto& [point, lines, target, after] : drops) {
        EXPECT_EQ(Rules::DropTarget(point, lines), target) << point << " " << lines;
        EXPECT_EQ(Rules::DropAfter(target, lines), after) << point << " " << lines;
    }
}

TEST(PlaylistViewRulesTest, FastMovesDeleteAndTypeAhead) {
    for (int line = 0; line < 10; ++line) {
        EXPECT_EQ(Rules::CanFastMoveDown(line, 10, 5), line <= 4) << line;
        EXPECT_EQ(Rules::CanFastMoveUp(line, 3), line >= 3) << line;
    }
    EXPECT_EQ(Rules::LineAfterDelete(9, 9), 8) << "the last line deleted";
    EXPECT_EQ(Rules::LineAfterDelete(0, 0), -1);
    const std::vector<std::string> titles{"Abba", "Beatles", "abc", "Cher"};
    const auto at = [&titles](int line) { return titles[static_cast<std::size_t>(line)]; };
    EXPECT_EQ(Rules::TypeAhead(at, 4, 3, "ab"), 0) << "wraps";
    EXPECT_EQ(Rules::TypeAhead(at, 4, 1, "AB"), 2) << "without letter case";
    EXPECT_EQ(Rules::TypeAhead(at, 4, 0, "c"), 3);
    EXPECT_EQ(Rules::TypeAhead(at, 4, 0, "zz"), -1);
}

// The commands of a playlist window over a real document.
class PlaylistViewTest : public ShellTest {
protected:
    static std::string Titles(CMixorel2001Doc& doc) {
        std::lock_guard lock(doc.GetMutex());
        std::string titles;
        for (int i = 0; i < doc.GetCount(); ++i) {
            const std::string& title = doc.GetSongAt(i)->GetTitle();
            titles += title.substr(0, 1) + title.back();
        }
        return titles;
    }
    static void Loop(CMixorel2001View& view, int position) {
        view.GetDoc().SetLoopFactory(&s_loop);
        ASSERT_TRUE(view.GetDoc().StartLoop(1));
        view.GetDoc().SetLoopPos(position);
    }
    static inline EndlessLoop s_loop;
};

TEST_F(PlaylistViewTest, SetAsNextAndLastPutSongsIntoTheLoopingList) {
    Start();
    CMixorel2001View& a = OpenView("a", 6);
    CMixorel2001View& b = OpenView("b", 3);
    b.SelectLine(1);
    b.RunCommand(CMixorel2001View::kSetLast);
    EXPECT_TRUE(m_prompt.WasAsked(CMixorel2001View::kNoLoopingListText));

    Loop(a, 4);
    a.SelectLine(1);
    a.RunCommand(CMixorel2001View::kSetNext);
    EXPECT_EQ(Titles(a.GetDoc()), "a0a2a3a1a4a5") << "moved within the looping list";
    EXPECT_EQ(a.GetDoc().GetLoopPos(), 3) << "the moved song plays next";

    b.SelectLine(2);
    b.RunCommand(CMixorel2001View::kSetNext);
    EXPECT_EQ(Titles(a.GetDoc()), "a0a2a3b2a1a4a5");
    EXPECT_EQ(Titles(b.GetDoc()), "b0b1b2") << "copied from another list";
    b.SelectLine(0);
    b.RunCommand(CMixorel2001View::kSetLast);
    EXPECT_EQ(Titles(a.GetDoc()), "a0a2a3b2a1a4a5b0");
    EXPECT_TRUE(m_prompt.WasAsked(CMixorel2001View::kSetLastText));
    a.GetDoc().StopLoop();
}

TEST_F(PlaylistViewTest, EditingDropsAndLocks) {
    Start();
    CMixorel2001View& a = OpenView("a", 6);
    CMixorel2001View& b = OpenView("b", 2);
    a.SelectLine(0);
    a.GetDoc().CopySongs(a.GetSelectedIds(), false, true);
    EXPECT_TRUE(a.DropSongs(&a, 4, true));
    EXPECT_EQ(Titles(a.GetDoc()), "a1a2a3a4a0a5") << "after line 3 as it was before the removal";

    b.SelectLine(1);
    b.GetDoc().CopySongs(b.GetSelectedIds(), false, true);
    EXPECT_TRUE(a.DropSongs(&b, 1, false));
    EXPECT_EQ(Titles(a.GetDoc()).substr(0, 6), "a1b1a2") << "dropped before line 1";

    m_prompt.answers[CMixorel2001View::kRemoveQuestion] = IUserPrompt::kAnswerYes;
    const int last = a.GetDoc().GetCount() - 1;
    a.SelectLine(last);
    a.RunCommand(CMixorel2001View::kDelete);
    EXPECT_EQ(a.GetDoc().GetCount(), last);
    EXPECT_EQ(a.GetSelectionMark(), last - 1) << "the new last line";

    a.GetDoc().SetLocked(true, true);
    a.RunCommand(CMixorel2001View::kDelete);
    a.RunCommand(CMixorel2001View::kAddRegion);
    EXPECT_TRUE(m_prompt.WasAsked(CMixorel2001View::kLockedText));
    EXPECT_EQ(a.GetDoc().GetCount(), last) << "nothing deleted, no region added";
    EXPECT_FALSE(a.IsCommandEnabled(CMixorel2001View::kPlay)) << "player commands disabled";
    EXPECT_FALSE(a.IsCommandEnabled(CMixorel2001View::kSeek));
    a.GetDoc().SetLocked(false, false);
    EXPECT_TRUE(a.IsCommandEnabled(CMixorel2001View::kPlay));
}

// In real time through the player and a sink that keeps time: F10 starts the loop at the
// selected line, F9 stops it and the player.
TEST_F(PlaylistViewTest, LoopKeysDriveTheRealPlayer) {
    const std::string tone = m_dir.File("tone.wav");
    if (TestFiles::Run("sox -n -r 44100 -c 2 '" + tone + "' synth 6 sine 440 vol 0.5") != 0) {
        GTEST_SKIP() << "sox missing";
    }
    const ScopedEnvironment sink{{{"MIXOREL_AUDIO_SINK", "fakesink sync=true"}}};
#ifdef MIXOREL_HAVE_GST
    SetMciContextFactory(std::make_shared<CGstMciContextFactory>());
#endif
    m_pStore->WriteProfileInt("internal", "usemixer", 0);
    Start();
    CMixorel2001View& view = OpenView("a", 0);
    CMixorel2001Doc& doc = view.GetDoc();
    for (int i = 0; i < 3; ++i) {
        AppendSong(doc, tone, "tone " + std::to_string(i));
    }
    view.SelectLine(1);
    QTest::keyClick(&view, Qt::Key_F10);
    CPlayer* player = Frame().GetActivePlayer();
    ASSERT_NE(player, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return doc.GetLoopPos() == 2 && player->GetMode(true) == 1; }))
        << "the selected line plays first";
    EXPECT_TRUE(doc.IsLooping());
    CMixorel2001View& other = OpenView("b", 2);
    other.RunCommand(CMixorel2001View::kNext);
    EXPECT_TRUE(WaitUntil([&] { return doc.GetLoopPos() == 0; }))
        << "Next in a list that does not loop skips the looping list's song";
    QTest::keyClick(&view, Qt::Key_F9);
    EXPECT_TRUE(WaitUntil([&] { return !doc.IsLooping() && player->GetMode(true) == 0; }));
    SetMciContextFactory(nullptr);
}

TEST(PlaylistViewRulesTest, LoopAnimationMovesThroughSevenPlaces) {
    EXPECT_EQ(Rules::LoopAnimationFrame(0), "\u266A      ");
    EXPECT_EQ(Rules::LoopAnimationFrame(3), "   \u266A   ");
    EXPECT_EQ(Rules::LoopAnimationFrame(7), Rules::LoopAnimationFrame(0)) << "wraps";
}

TEST_F(PlaylistViewTest, RemPlayedBoxAndMenuItemAreOneFlag) {
    Start();
    CMixorel2001View& view = OpenView("a", 2);
    CChildFrame& frame = *Frame().FindFrame(*Frame().GetPlaylists().back());
    QCheckBox* box = frame.GetRemovePlayedBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), QStringLiteral("Rem Played"));
    const bool before = view.GetDoc().IsRemovePlayed();
    EXPECT_EQ(box->isChecked(), before);
    box->click();
    EXPECT_NE(view.GetDoc().IsRemovePlayed(), before);
    view.RunCommand(CMixorel2001View::kRemovePlayed);
    EXPECT_EQ(view.GetDoc().IsRemovePlayed(), before);
    EXPECT_EQ(box->isChecked(), before);
}

TEST_F(PlaylistViewTest, SongTooltipShowsTheLinesTextAtMostSixHundredPixelsWide) {
    Start();
    const std::string name(150, 'w');
    CMixorel2001View& view = OpenView(name, 2);
    view.show();
    const QRect line = view.visualRect(view.model()->index(1, 0));
    QHelpEvent help(QEvent::ToolTip, line.center(), view.viewport()->mapToGlobal(line.center()));
    QApplication::sendEvent(view.viewport(), &help);
    ASSERT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text().toStdString(), name + " song 1");
    int tips = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String("qtooltip_label") && widget->isVisible()) {
            ++tips;
            EXPECT_LE(widget->width(), CMixorel2001View::kTooltipMaxWidth);
        }
    }
    EXPECT_EQ(tips, 1);
    QToolTip::hideText();
}

} // namespace
