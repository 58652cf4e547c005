#include "DocumentFakes.h"

#include "catalogue/CMixorel2001Doc.h"
#include "catalogue/CPlaylistFile.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <vector>

namespace {

class DocumentTest : public ::testing::Test {
protected:
    DocumentTest() { m_doc.AddView(&m_view); }

    // Appends songs "/m/0.mp3" ... and answers their identities.
    static std::vector<std::string> Fill(CMixorel2001Doc& doc, int count) {
        std::vector<std::string> ids;
        for (int n = 0; n < count; ++n) {
            ids.push_back(Insert(doc, MakeSong("/m/" + std::to_string(n) + ".mp3")));
        }
        return ids;
    }
    std::vector<std::string> Fill(int count) { return Fill(m_doc, count); }

    std::string PathAt(int index) const {
        const CSong* song = m_doc.GetSongAt(index);
        return song != nullptr ? song->GetPath() : std::string("<none>");
    }

    FakePrompt m_prompt;
    FakeView m_view;
    CMixorel2001Doc m_doc{&m_prompt};
};

TEST_F(DocumentTest, InsertsAtHeadAfterLineAndAfterLastWithFreshIdentities) {
    const std::vector<std::pair<int, const char*>> inserts = {
        {-1, "/b"}, {-1, "/a"}, {CMixorel2001Doc::kAfterLast, "/d"}, {1, "/c"}, {1000, "/e"}};
    for (const auto& [after, path] : inserts) {
        Insert(m_doc, MakeSong(path), after);
    }
    EXPECT_EQ(Lines(m_doc), (Texts{"/a", "/b", "/c", "/d", "/e"}));
    EXPECT_TRUE(m_doc.IsModified());
    EXPECT_TRUE(m_prompt.m_duplicateTexts.empty());
    // The inserted copy gets a fresh identity, found by identity and by record.
    const CSong source = MakeSong("/x.mp3");
    const std::string id = Insert(m_doc, source, 0);
    EXPECT_NE(id, source.GetId());
    EXPECT_EQ(m_doc.IndexOf(m_doc.FindById(id)), 1);
    EXPECT_EQ(m_doc.IndexOf(&source), -1);
    EXPECT_EQ(m_doc.FindById(source.GetId()), nullptr);
    EXPECT_TRUE(m_doc.Contains("/x.mp3"));
    EXPECT_FALSE(m_doc.Contains("/X.mp3"));
}

// A position moves down only for a line inserted above it; a line inserted at the
// position becomes the line there, so it plays next.
TEST_F(DocumentTest, InsertsAboveAPositionShiftItAndInsertsAtItTakeItsPlace) {
    Fill(5);
    m_doc.SetLoopPos(2);
    m_doc.SetSchedulePos(3);
    struct Case {
        int after;
        const char* path;
        const char* atLoop;
        const char* atSchedule;
    };
    const Case cases[] = {
        {-1, "/head", "/m/2.mp3", "/m/3.mp3"},
        {2, "/at-loop", "/at-loop", "/m/3.mp3"},
        {4, "/at-schedule", "/at-loop", "/at-schedule"},
        {6, "/below", "/at-loop", "/at-schedule"},
    };
    IUserPrompt::DuplicateAnswer answer = IUserPrompt::kNone;
    for (const Case& c : cases) {
        ASSERT_TRUE(m_doc.InsertSongAt(c.after, MakeSong(c.path), answer)) << c.path;
        EXPECT_EQ(PathAt(m_doc.GetLoopPos()), c.atLoop) << c.path;
        EXPECT_EQ(PathAt(m_doc.GetSchedulePos()), c.atSchedule) << c.path;
    }
}

TEST_F(DocumentTest, SetSongAtKeepsTotalsQueueRegionsAndMarkRight) {
    Insert(m_doc, MakeSong("/a", 160000, 128000), -1);
    const std::string b = Insert(m_doc, MakeSong("/b"), 0);
    m_doc.MarkSong(1, CMixorel2001Doc::kMarkLoopNext);

    // The tag tools edit a copy of a line and put it back.
    CSong edited;
    edited.Assign(*m_doc.GetSongAt(1), true);
    edited.SetInfo(320000, 128000, 44100, 0);
    edited.SetInfoFlag(true);
    edited.SetTitle("Edited");
    ASSERT_TRUE(m_doc.SetSongAt(1, edited));
    EXPECT_EQ(m_doc.IndexOf(m_doc.FindById(b)), 1);
    EXPECT_EQ(m_doc.GetSongAt(1)->GetTitle(), "Edited");
    EXPECT_EQ(m_doc.FindMark(CMixorel2001Doc::kMarkLoopNext), 1);
    EXPECT_TRUE(m_doc.GetProcessingQueue().empty());
    EXPECT_EQ(m_doc.GetTotalTime(), 30u);
    EXPECT_DOUBLE_EQ(m_doc.GetTotalSize(), 480000.0);

    const CSong region = MakeRegion("R");
    ASSERT_TRUE(m_doc.SetSongAt(0, region));
    EXPECT_EQ(m_doc.GetRegionList(), Texts{region.GetId()});
    EXPECT_FALSE(m_doc.Contains("/a"));
    EXPECT_EQ(m_doc.GetTotalTime(), 20u);
    EXPECT_DOUBLE_EQ(m_doc.GetTotalSize(), 320000.0);

    const CSong unread = MakeSong("/c");
    ASSERT_TRUE(m_doc.SetSongAt(0, unread));
    EXPECT_TRUE(m_doc.GetRegionList().empty());
    EXPECT_EQ(m_doc.GetProcessingQueue(), Texts{unread.GetId()});
    EXPECT_TRUE(m_doc.Contains("/c"));

    EXPECT_FALSE(m_doc.SetSongAt(2, unread));
    EXPECT_FALSE(m_doc.SetSongAt(0, edited)); // the identity of line 1
    EXPECT_EQ(m_doc.GetCount(), 2);
}

// Positions stay on their songs through removes above them; a removed position line
// makes the following song next; removing the last lines wraps to 0, all of them to -1;
// a remove told not to follow the loop leaves it.
TEST_F(DocumentTest, PositionsFollowRemoves) {
    const struct {
        int count, loop, schedule;
        std::vector<std::size_t> removed;
        bool followLoop;
        int loopAfter, scheduleAfter;
    } cases[] = {
        {8, 5, 6, {4, 0, 7}, true, 3, 4}, // still /m/5.mp3 and /m/6.mp3
        {6, 2, 2, {2, 3, 0}, true, 1, 1}, // /m/4.mp3
        {4, 3, -1, {3, 2}, true, 0, -1},  {4, 3, -1, {3, 2, 0, 1}, true, -1, -1},
        {4, 3, 2, {0}, false, 3, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        CMixorel2001Doc doc;
        const std::vector<std::string> ids = Fill(doc, c.count);
        doc.SetLoopPos(c.loop);
        doc.SetSchedulePos(c.schedule);
        std::vector<std::string> removed;
        for (std::size_t n : c.removed) {
            removed.push_back(ids[n]);
        }
        ASSERT_TRUE(doc.RemoveSongs(removed, c.followLoop, true));
        EXPECT_EQ(doc.GetLoopPos(), c.loopAfter);
        EXPECT_EQ(doc.GetSchedulePos(), c.scheduleAfter);
    }
}

TEST_F(DocumentTest, RemoveSkipsUnknownAndRepeatedIdsRedrawsOnceAndIsRefusedWhileLocked) {
    const std::vector<std::string> ids = Fill(3);
    m_view.m_redrawn.clear();
    ASSERT_TRUE(m_doc.RemoveSongs({ids[1], "no such id", ids[1]}));
    EXPECT_EQ(Lines(m_doc), (Texts{"/m/0.mp3", "/m/2.mp3"}));
    EXPECT_EQ(m_view.m_redrawn, std::vector<int>{-1});
    EXPECT_EQ(m_doc.FindById(ids[1]), nullptr);
    EXPECT_FALSE(m_doc.Contains("/m/1.mp3"));
    EXPECT_EQ(m_doc.IndexOf(m_doc.FindById(ids[2])), 1);
    m_doc.SetLocked(true, false);
    EXPECT_FALSE(m_doc.RemoveSongs({ids[0]}));
    EXPECT_EQ(m_doc.GetCount(), 2);
    EXPECT_EQ(m_prompt.m_messages, Texts{"List locked. Operation unavailable."});
}

// A mark is held by one line only, a line holds one mark, and the mark follows its line
// through inserts and removes; bad lines are ignored.
TEST_F(DocumentTest, MarksAndBadLines) {
    const std::vector<std::string> ids = Fill(4);
    const auto marks = [this] {
        std::vector<std::int32_t> held;
        for (int n = 0; n < m_doc.GetCount(); ++n) {
            held.push_back(m_doc.GetSongAt(n)->GetMark());
        }
        return held;
    };
    using Marks = std::vector<std::int32_t>;
    m_doc.MarkSong(1, CSong::kNextToPlay);
    m_view.m_redrawn.clear();
    m_doc.MarkSong(3, CSong::kNextToPlay);
    EXPECT_EQ(marks(), (Marks{0, 0, 0, CSong::kNextToPlay}));
    EXPECT_EQ(m_view.m_redrawn, (std::vector<int>{1, 3}));
    EXPECT_EQ(m_doc.FindMark(CSong::kNextToPlay), 3);
    m_doc.MarkSong(0, CSong::kPlaying);
    m_doc.MarkSong(3, CSong::kPlaying);
    EXPECT_EQ(marks(), (Marks{0, 0, 0, CSong::kPlaying}));
    EXPECT_EQ(m_doc.FindMark(CSong::kNextToPlay), -1);
    m_doc.MarkSong(2, CSong::kNextToPlay);
    m_doc.ClearMark(CSong::kPlaying);
    EXPECT_EQ(marks(), (Marks{0, 0, CSong::kNextToPlay, 0}));
    m_doc.ClearMark(CSong::kNextToPlay);
    EXPECT_EQ(marks(), (Marks{0, 0, 0, 0}));

    m_doc.MarkSong(2, CSong::kPlaying);
    Insert(m_doc, MakeSong("/head"), -1);
    EXPECT_EQ(m_doc.FindMark(CSong::kPlaying), 3);
    ASSERT_TRUE(m_doc.RemoveSongs({ids[2]}));
    EXPECT_EQ(m_doc.FindMark(CSong::kPlaying), -1);
    m_doc.MarkSong(0, CSong::kPlaying);
    EXPECT_EQ(m_doc.FindMark(CSong::kPlaying), 0);

    EXPECT_EQ(m_doc.GetSongAt(-1), nullptr);
    EXPECT_EQ(m_doc.GetSongAt(4), nullptr);
    m_doc.MarkSong(7, CSong::kTemporary);
    m_doc.MarkSong(-3, CSong::kTemporary);
    m_doc.ClearMark(CSong::kTemporary);
    EXPECT_EQ(m_doc.FindMark(CSong::kTemporary), -1);
    EXPECT_EQ(m_doc.IndexOf(nullptr), -1);
    EXPECT_TRUE(m_doc.RemoveSongs({}));
}

// The processing queue holds the songs without information once each, a song queued
// again at its end; the region list keeps list order.
TEST_F(DocumentTest, QueueAndRegionListKeepTheirOrder) {
    const std::string a = Insert(m_doc, MakeSong("/a"), -1);
    const std::string c = Insert(m_doc, MakeSong("/c"));
    const std::string r3 = Insert(m_doc, MakeRegion("Late"));
    const std::string r1 = Insert(m_doc, MakeRegion("Early"), -1);
    const std::string r2 = Insert(m_doc, MakeRegion("Middle"), 1);
    EXPECT_EQ(m_doc.GetRegionList(), (Texts{r1, r2, r3}));
    ASSERT_TRUE(m_doc.RemoveSongs({r2}));
    EXPECT_EQ(m_doc.GetRegionList(), (Texts{r1, r3}));
    m_doc.SetProcessed(*m_doc.FindById(a), true);
    EXPECT_EQ(m_doc.GetProcessingQueue(), (Texts{c}));
    m_doc.SetProcessed(*m_doc.FindById(a), false);
    EXPECT_EQ(m_doc.GetProcessingQueue(), (Texts{c, a}));
}

TEST_F(DocumentTest, SavedPlaylistLoadsBackWithDuplicatesAndFlags) {
    TempDir dir;
    Fill(2);
    Insert(m_doc, MakeRegion("Evening"), 0);
    Insert(m_doc, MakeSong("/m/0.mp3", 16000, 128000));
    const CDateTime alarm = CDateTime::FromCalendar(2026, 12, 6, 20, 30, 0);
    m_doc.SetAlarm(alarm);
    m_doc.SetLocked(true, true);
    ASSERT_EQ(m_doc.OnSaveDocument(dir.File("list.qmx")), CPlaylistFile::kOk);
    EXPECT_FALSE(m_doc.IsModified());

    FakePrompt prompt;
    CMixorel2001Doc loaded(&prompt);
    ASSERT_EQ(loaded.OnOpenDocument(dir.File("list.qmx")), CPlaylistFile::kOk);
    EXPECT_TRUE(prompt.m_duplicateTitles.empty());
    EXPECT_EQ(Lines(loaded), Lines(m_doc));
    EXPECT_EQ(loaded.GetRegionList().size(), 1u);
    EXPECT_EQ(loaded.GetTotalTime(), 1u);
    EXPECT_EQ(loaded.GetAlarm(), alarm);
    EXPECT_TRUE(loaded.IsLocked());
    EXPECT_TRUE(loaded.IsPlayerCommandsDisabled());
    EXPECT_FALSE(loaded.IsModified());
    EXPECT_EQ(loaded.GetLoopPos(), -1);
    // A damaged or missing file leaves the document as it was.
    WriteAll(dir.File("bad.qmx"), {'x', 'y', 'z'});
    EXPECT_NE(loaded.OnOpenDocument(dir.File("bad.qmx")), CPlaylistFile::kOk);
    EXPECT_NE(loaded.OnOpenDocument(dir.File("missing.qmx")), CPlaylistFile::kOk);
    EXPECT_EQ(loaded.GetCount(), 4);
}

TEST_F(DocumentTest, AddSongLocationInsertsAfterTheSelectedLine) {
    Fill(3);
    m_prompt.m_songData = {{"My stream", "http://radio/x"}, {"", "/m/0.mp3"}};
    ASSERT_TRUE(m_doc.AddSongLocation(1));
    EXPECT_EQ(PathAt(2), "http://radio/x");
    EXPECT_EQ(m_doc.GetSongAt(2)->GetTitle(), "My stream");
    m_prompt.m_duplicateAnswers = {IUserPrompt::kYes};
    ASSERT_TRUE(m_doc.AddSongLocation(-1));
    EXPECT_EQ(PathAt(0), "/m/0.mp3");
    EXPECT_EQ(m_doc.GetSongAt(0)->GetTitle(), "");
    EXPECT_EQ(m_prompt.m_duplicateTitles.size(), 1u);
    EXPECT_FALSE(m_doc.AddSongLocation(0));
    EXPECT_EQ(m_doc.GetCount(), 5);
}

TEST(DocumentThreadsTest, InsertsRemovesAndMarksFromTwoThreadsKeepTheIndexesRight) {
    constexpr int kSongs = 2000;
    CMixorel2001Doc doc;
    auto inserter = std::async(std::launch::async, [&doc] {
        IUserPrompt::DuplicateAnswer answer = IUserPrompt::kNone;
        for (int n = 0; n < kSongs; ++n) {
            doc.InsertSongAt(CMixorel2001Doc::kAfterLast, MakeSong("/kept/" + std::to_string(n)),
                             answer);
        }
    });
    auto churner = std::async(std::launch::async, [&doc] {
        IUserPrompt::DuplicateAnswer answer = IUserPrompt::kNone;
        for (int n = 0; n < kSongs / 4; ++n) {
            std::string id;
            doc.InsertSongAt(-1, MakeSong("/gone/" + std::to_string(n)), answer, &id);
            doc.MarkSong(doc.GetCount() / 2, CSong::kPlaying);
            doc.RemoveSongs({id});
        }
    });
    ASSERT_EQ(inserter.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    ASSERT_EQ(churner.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    ASSERT_EQ(doc.GetCount(), kSongs);
    int marked = 0;
    for (int n = 0; n < kSongs; ++n) {
        const CSong* song = doc.GetSongAt(n);
        EXPECT_EQ(song->GetPath(), "/kept/" + std::to_string(n));
        EXPECT_EQ(doc.IndexOf(song), n);
        marked += song->GetMark() != CSong::kNoMark ? 1 : 0;
    }
    EXPECT_LE(marked, 1);
    EXPECT_EQ(doc.GetProcessingQueue().size(), static_cast<std::size_t>(kSongs));
}

} // namespace
