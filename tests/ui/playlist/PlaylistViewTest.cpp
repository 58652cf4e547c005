#include "ShellFixture.h"
#include "ui/playlist/CPlaylistViewRules.h"

#include "media/SongFileReader.h"
#include "platform/mci/MciContext.h"
#include "playback/CPlayer.h"
#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"
#ifdef MIXOREL_HAVE_GST
#include "platform/gst/CGstMciContextFactory.h"
#endif

#include <QCheckBox>
#include <QHeaderView>
#include <QIcon>
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

// A move within one list inserts the songs first and removes the old lines after; it lands
// where removing first and inserting after line target - 1 of the shorter list would.
TEST(PlaylistViewRulesTest, SameListMoveLandsWhereRemovingFirstWould) {
    struct Move {
        std::vector<int> selected;
        int target;
        int after; // in the full list of 5 lines
    };
    const Move moves[] = {
        {{0}, 2, 2},                    // A onto C: B C A D E
        {{0}, 0, -1},                   // to the head
        {{3}, 1, 0},                    // D onto B: A D B C E
        {{1, 2}, 4, Rules::kAfterLast}, // past the shorter list's end
        {{1, 3}, 2, 2},                 // B and D onto C: A C B D E
    };
    for (const Move& move : moves) {
        EXPECT_EQ(Rules::SameListMoveAfter(move.selected, move.target, 5), move.after)
            << move.target;
    }
    EXPECT_TRUE(Rules::IsMoveDrop(true, false, false)) << "within a list a drop moves";
    EXPECT_FALSE(Rules::IsMoveDrop(true, false, true)) << "Ctrl copies";
    EXPECT_FALSE(Rules::IsMoveDrop(false, false, false)) << "between lists a drop copies";
    EXPECT_TRUE(Rules::IsMoveDrop(false, true, false)) << "Shift moves";
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
    // A fast move and a set-as-next within the looping list insert and then remove: a
    // locked list refuses them before anything changes.
    const std::string before = Titles(a.GetDoc());
    a.SelectLine(0);
    a.RunCommand(CMixorel2001View::kFastMoveDown);
    Loop(a, 2);
    a.SelectLine(1);
    a.RunCommand(CMixorel2001View::kSetNext);
    a.GetDoc().StopLoop();
    EXPECT_EQ(Titles(a.GetDoc()), before);
    EXPECT_FALSE(a.IsCommandEnabled(CMixorel2001View::kPlay)) << "player commands disabled";
    EXPECT_FALSE(a.IsCommandEnabled(CMixorel2001View::kSeek));
    a.GetDoc().SetLocked(false, false);
    EXPECT_TRUE(a.IsCommandEnabled(CMixorel2001View::kPlay));
}

// A drag into another list that ends as a move takes from its source only the songs the
// target inserted: a song declined as a duplicate stays where it was.
TEST_F(PlaylistViewTest, AMoveLeavesTheSourceTheSongsTheTargetDeclined) {
    Start();
    CMixorel2001View& a = OpenView("a", 3);
    CMixorel2001View& b = OpenView("b", 1);
    {
        std::lock_guard lock(a.GetDoc().GetMutex());
        AppendSong(b.GetDoc(), a.GetDoc().GetSongAt(0)->GetLocation(), "a0");
    }
    const auto move = [&](std::vector<std::string> dragged, IUserPrompt::DuplicateAnswer answer) {
        m_prompt.duplicateAnswer = answer;
        ASSERT_TRUE(a.GetDoc().CopySongs(dragged, false, true));
        b.DropSongs(&a, 2, true);
        a.RemoveTakenAfterMove(dragged);
    };
    std::string first;
    std::string second;
    {
        std::lock_guard lock(a.GetDoc().GetMutex());
        first = a.GetDoc().GetSongAt(0)->GetId();
        second = a.GetDoc().GetSongAt(1)->GetId();
    }
    move({first, second}, IUserPrompt::kNo);
    EXPECT_EQ(Titles(a.GetDoc()), "a0a2") << "a0 declined, a1 moved";
    EXPECT_EQ(Titles(b.GetDoc()), "b0a0a1");
    move({first}, IUserPrompt::kCancel);
    EXPECT_EQ(Titles(a.GetDoc()), "a0a2") << "a cancel takes nothing";
    EXPECT_EQ(Titles(b.GetDoc()), "b0a0a1");
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

// The lines whose titles "Now:" and "Next:" show. Lines: 0 song, 1 header, 2 song,
// 3 header, 4 header, 5 song.
TEST(PlaylistViewRulesTest, NowAndNextTitlesComeFromTheMarkedLines) {
    const auto isHeader = [](int line) { return line == 1 || line == 3 || line == 4; };
    struct Case {
        const char* name;
        Rules::MarkedLines marks;
        bool region;
        int position;
        int now;
        int next;
    };
    const Case cases[] = {
        {"loop", {0, 2, -1, -1}, false, 2, 0, 2},
        {"right after Next: the position, marks not yet moved", {-1, -1, -1, -1}, false, 5, -1, 5},
        {"a header at the position is stepped over", {-1, -1, -1, -1}, false, 1, -1, 2},
        {"only one header is stepped over", {-1, -1, -1, -1}, false, 3, -1, 4},
        {"past the end wraps", {-1, -1, -1, -1}, false, 9, -1, 0},
        {"a region plays: the scheduler's marks", {0, 2, 5, -1}, true, 5, 5, 5},
        {"a region plays with its next marked", {0, 2, 2, 5}, true, 2, 2, 5},
        {"after the region: the loop's own cursor", {0, 2, -1, -1}, false, 2, 0, 2},
        {"an unplayable song was stepped over", {5, 0, -1, -1}, false, 0, 5, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Rules::NowLine(c.marks, c.region), c.now) << c.name;
        EXPECT_EQ(Rules::NextLine(c.marks, c.region, c.position, isHeader, 6), c.next) << c.name;
    }
    EXPECT_EQ(Rules::NextLine({}, false, 0, isHeader, 0), -1) << "an empty list";
}

// The line playing now carries the play symbol; a heading click shows the sort; what the
// user does to the headings is kept for the next window; the Song column takes the free
// width; Options' playlist font reaches every list at once.
TEST_F(PlaylistViewTest, PlayIconSortIndicatorColumnsAndFont) {
    Start();
    CMixorel2001View& view = OpenView("a", 3);
    CMixorel2001Doc& doc = view.GetDoc();
    QAbstractItemModel& model = *view.model();
    doc.MarkSong(1, CMixorel2001Doc::kMarkLoopPlaying);
    EXPECT_TRUE(model.data(model.index(1, 0), Qt::DecorationRole).value<QIcon>().isNull() == false);
    EXPECT_FALSE(model.data(model.index(0, 0), Qt::DecorationRole).isValid());
    EXPECT_FALSE(model.data(model.index(1, 1), Qt::DecorationRole).isValid());

    QHeaderView* header = view.horizontalHeader();
    const auto click = [&](int column) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 5, 5));
    };
    click(1);
    EXPECT_TRUE(header->isSortIndicatorShown());
    EXPECT_EQ(header->sortIndicatorSection(), 1);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
    click(1);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);

    EXPECT_EQ(header->sectionResizeMode(0), QHeaderView::Stretch);
    EXPECT_FALSE(header->stretchLastSection());
    header->resizeSection(2, 120);
    header->moveSection(header->visualIndex(2), 0);
    QTest::mouseRelease(header->viewport(), Qt::LeftButton); // the drag ends
    QApplication::processEvents();
    CMixorel2001View& next = OpenView("b", 1);
    EXPECT_EQ(next.horizontalHeader()->sectionSize(2), 120);
    EXPECT_EQ(next.horizontalHeader()->logicalIndex(0), 2);

    m_pStore->WriteProfileString("fonts", "listviewfontname", "DejaVu Serif");
    m_pStore->WriteProfileInt("fonts", "listviewfontsize", 170);
    Frame().ApplyListFonts();
    for (CMixorel2001View* list : {&view, &next}) {
        EXPECT_EQ(list->font().pointSize(), 17);
        EXPECT_EQ(list->font().family(), QStringLiteral("DejaVu Serif"));
    }
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

// A FLAC file keeps its tags in Vorbis comments: the record's ID3v1 block stays empty and
// the tooltip shows them from the tag cache, the "Info" column its format.
TEST(PlaylistViewRulesTest, TooltipShowsTheOwnTagsOfAFlacFile) {
    TempDir dir;
    const std::string path = dir.File("tune.flac");
    if (TestFiles::Run("ffmpeg -v error -f lavfi -i sine=f=440:d=2 -metadata title=Blue "
                       "-metadata artist=Band -metadata album=Night -metadata date=1999 '" +
                       path + "'") != 0) {
        GTEST_SKIP() << "ffmpeg missing";
    }
    CSong song;
    song.SetPathText(path);
    song.ProcessFromFacts(SongFileReader::Read(path), "%3 - %4");
    EXPECT_EQ(song.GetFormatText(), "FLAC 44");
    const std::string tip = Rules::SongTooltip(song);
    for (const char* line : {"Artist:  Band", "Album: Night", "Song:   Blue", "Year:   1999"}) {
        EXPECT_NE(tip.find(line), std::string::npos) << line << " in " << tip;
    }
}
} // namespace
