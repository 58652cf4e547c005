// The loop driver and the scheduler on a player whose songs end by an accelerated clock.
// Threads: the driver and the scheduler run their own threads; the test body plays the
// user-interface thread.
#include "LoopFakes.h"

#include "catalogue/DocumentFakes.h"

#include "catalogue/CLoopState.h"
#include "catalogue/CMixorel2001Doc.h"
#include "catalogue/CPlayedSongs.h"
#include "playback/CPlayListThreadFactory.h"
#include "playback/CScheduleListThread.h"
#include "settings/CMemorySettingsStore.h"
#include "settings/CSharedSettings.h"
#include "settings/SettingsKeys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Texts = std::vector<std::string>;

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit = 20s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end) {
            return condition();
        }
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

const CDateTime kStart = CDateTime::FromCalendar(2026, 12, 6, 20, 59, 50);

class LoopDriverTest : public ::testing::Test {
protected:
    LoopDriverTest() {
        m_settings.Reload();
        for (CMixorel2001Doc* doc : {&m_doc, &m_other}) {
            doc->SetSharedSettings(&m_settings);
            doc->SetPlayerLink(&m_player);
            doc->SetLoopFactory(&m_factory);
        }
        CMixorel2001Doc::SetShutdownRequest(&m_shutdown);
        CMixorel2001Doc::SetShutdownAtEnd(false);
    }
    ~LoopDriverTest() override {
        CScheduleListThread::StopScheduler();
        m_doc.OnCloseDocument();
        m_other.OnCloseDocument();
        CMixorel2001Doc::SetShutdownRequest(nullptr);
    }

    // "R..." lines are region headers (with "R@s" starting s seconds after kStart).
    static void Load(CMixorel2001Doc& doc, const Texts& lines) {
        IUserPrompt::DuplicateAnswer answer = IUserPrompt::kYesToAll;
        for (const std::string& line : lines) {
            CSong song;
            if (line.starts_with("R")) {
                song.SetRegion(true);
                song.SetTitle(line);
                if (const auto at = line.find('@'); at != std::string::npos) {
                    const int seconds = std::stoi(line.substr(at + 1));
                    song.SetStart(
                        CDateTime(kStart.GetValue() + seconds / 86400.0, CDateTime::kValid));
                }
            } else {
                song.SetPathText(line);
                song.SetInfo(32000, 128000, 44100, 0);
            }
            song.SetInfoFlag(true);
            doc.InsertSongAt(CMixorel2001Doc::kAfterLast, song, answer);
        }
    }
    static Texts Songs(int count) {
        Texts songs;
        for (int n = 1; n <= count; ++n) {
            songs.push_back("s" + std::to_string(n));
        }
        return songs;
    }
    // The first count songs the player started.
    Texts First(std::size_t count) const {
        const Texts paths = m_player.Paths();
        return Texts(paths.begin(), paths.begin() + static_cast<std::ptrdiff_t>(count));
    }
    void Set(std::string_view section, std::string_view key, int value) {
        m_store.WriteProfileInt(section, key, value);
        m_settings.Reload();
    }

    CMemorySettingsStore m_store;
    CSharedSettings m_settings{m_store};
    AcceleratedClock m_clock{10, kStart};
    ClockedPlayer m_player{m_clock, 2000, 500};
    CPlayListThreadFactory m_factory{m_clock, &m_settings};
    FakeShutdown m_shutdown;
    CMixorel2001Doc m_doc;
    CMixorel2001Doc m_other;
};

TEST_F(LoopDriverTest, StopLoopAtEndEndsAfterTheLastStartAndAsksForTheShutDown) {
    Set(SettingsKeys::kSectionMisc, SettingsKeys::kStopLoopAtEnd, 1);
    CMixorel2001Doc::SetShutdownAtEnd(true);
    Load(m_doc, Songs(10));
    ASSERT_TRUE(m_doc.StartLoopAt(7, 1));
    ASSERT_TRUE(WaitFor([&] { return !m_doc.IsLooping(); }));
    EXPECT_EQ(m_player.Paths(), (Texts{"s8", "s9", "s10"}));
    EXPECT_EQ(m_shutdown.m_nRequests, 1);
    EXPECT_EQ(CLoopState::s_nCurrentToken, 0u);
}

TEST_F(LoopDriverTest, LoopPressedTwiceOnThePlayingSongSkipsIt) {
    Load(m_doc, Songs(4));
    ASSERT_TRUE(m_doc.StartLoopAt(1, 7));
    ASSERT_TRUE(WaitFor([&] { return m_player.Count() >= 1; }));
    ASSERT_TRUE(m_doc.StartLoopAt(1, 7));
    EXPECT_EQ(m_player.Skips(), 1);
    ASSERT_TRUE(WaitFor([&] { return m_player.Count() >= 3; }));
    EXPECT_EQ(First(3), (Texts{"s2", "s2", "s3"}));
    // The restarted song came at once, not after the first one's mix point.
    const auto starts = m_player.Starts();
    EXPECT_LT(starts[1].atMs - starts[0].atMs, 1500);
}

// A view that records the lines it is asked to bring into view.
class ScrollRecorder : public IDocumentView {
public:
    void RedrawLine(int /*line*/) override {}
    void ScrollToLine(int line) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_lines.push_back(line);
    }
    std::vector<int> Lines() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_lines;
    }

private:
    std::mutex m_mutex;
    std::vector<int> m_lines;
};

TEST_F(LoopDriverTest, AutoShowPlayNextScrollsToTheNextSongAfterEachStart) {
    Load(m_doc, Songs(3));
    ScrollRecorder view;
    m_doc.AddView(&view);
    ASSERT_TRUE(m_doc.StartLoopAt(0, 1));
    ASSERT_TRUE(WaitFor([&] { return m_player.Count() >= 2; }));
    m_doc.StopLoop();
    EXPECT_TRUE(view.Lines().empty());

    Set(SettingsKeys::kSectionMisc, SettingsKeys::kAutoShowPlayNext, 1);
    ASSERT_TRUE(m_doc.StartLoopAt(0, 1));
    ASSERT_TRUE(WaitFor([&] { return view.Lines().size() >= 2; }));
    m_doc.StopLoop();
    m_doc.RemoveView(&view);
    // The position still names the song just started when the view is asked.
    const std::vector<int> lines = view.Lines();
    EXPECT_EQ(std::vector<int>(lines.begin(), lines.begin() + 2), (std::vector<int>{0, 1}));
}

// "autoshowplaynextonskip": after the user's Next, the views bring the new next song into
// view once, though "autoshowplaynext" is off.
TEST_F(LoopDriverTest, NextBringsTheNewNextSongIntoViewOnce) {
    ClockedPlayer player{m_clock, 600000, 500};
    m_doc.SetPlayerLink(&player);
    Load(m_doc, Songs(4));
    ScrollRecorder view;
    m_doc.AddView(&view);
    // Asked before the loop starts: asking while it runs would race the driver's steps
    // after a start, which a test cannot see from outside.
    m_doc.ShowNextAfterNextStart();
    ASSERT_TRUE(m_doc.StartLoopAt(0, 1));
    ASSERT_TRUE(WaitFor([&] { return player.Count() >= 1; }));
    player.Skip();
    ASSERT_TRUE(WaitFor([&] { return player.Count() >= 2; }));
    player.Skip();
    ASSERT_TRUE(WaitFor([&] { return player.Count() >= 3; }));
    m_doc.StopLoop();
    m_doc.RemoveView(&view);
    m_doc.SetPlayerLink(&m_player);
    EXPECT_EQ(view.Lines(), std::vector<int>{1})
        << "s1 started, s2 is next; later starts leave the view";
}

TEST_F(LoopDriverTest, RemovePlayedShrinksTheListUntilOnlyHeadersRemain) {
    Load(m_doc, {"R1", "s1", "s2", "R2", "s3"});
    m_doc.SetRemovePlayed(true);
    ASSERT_TRUE(m_doc.StartLoopAt(1, 1));
    ASSERT_TRUE(WaitFor([&] { return !m_doc.IsLooping(); }));
    EXPECT_EQ(m_player.Paths(), (Texts{"s1", "s2", "s3"}));
    EXPECT_EQ(m_doc.GetCount(), 2);
    EXPECT_FALSE(m_doc.HasPlayableSongs());
}

// A song that cannot be opened is stepped over at once, without a played entry; the
// loop goes on with the songs that play.
TEST_F(LoopDriverTest, UnplayableSongsAreSteppedOver) {
    Load(m_doc, {"s1", "bad1", "bad2", "s2", "s3"});
    m_player.Refuse("bad1");
    m_player.Refuse("bad2");
    CPlayedSongs::Shared().Empty();
    ASSERT_TRUE(m_doc.StartLoopAt(0, 1));
    ASSERT_TRUE(WaitFor([&] { return m_player.Count() >= 4; }));
    EXPECT_EQ(First(4), (Texts{"s1", "s2", "s3", "s1"}));
    // s2 came at s1's mix point, not a song later.
    const auto starts = m_player.Starts();
    EXPECT_LT(starts[1].atMs - starts[0].atMs, 1500 + 1000);
    EXPECT_TRUE(m_doc.IsLooping());
    m_doc.StopLoop();
    EXPECT_EQ(m_doc.FindMark(CMixorel2001Doc::kMarkLoopNext), -1);
    Texts played;
    CPlayedSongs::Shared().ForEach([&](const CSong& song) { played.push_back(song.GetPath()); });
    EXPECT_EQ(std::count(played.begin(), played.end(), "bad1"), 0);
    EXPECT_EQ(std::vector<std::string>(played.begin(), played.begin() + 3),
              (Texts{"s1", "s2", "s3"}));
}

// A list where nothing plays ends after one pass with its own message, not message 155.
TEST_F(LoopDriverTest, AListWhereNothingPlaysEndsAfterOnePass) {
    FakePrompt prompt;
    m_doc.SetPrompt(&prompt);
    Load(m_doc, {"bad1", "R1", "bad2"});
    m_player.Refuse("bad1");
    m_player.Refuse("bad2");
    ASSERT_TRUE(m_doc.StartLoopAt(0, 1));
    ASSERT_TRUE(WaitFor([&] { return !m_doc.IsLooping(); }));
    EXPECT_EQ(m_player.Count(), 0u);
    EXPECT_EQ(prompt.m_messages, (Texts{CMixorel2001Doc::kNothingPlayableText}));
    m_doc.SetPrompt(nullptr);
}

// A second loop ends the first. The driver of the first list has ended but is still kept
// by it: stopping or closing that list must leave the second list's loop alone.
TEST_F(LoopDriverTest, StoppingAListWhoseLoopEndedLongAgoLeavesTheNewLoopRunning) {
    Load(m_doc, Songs(3));
    Load(m_other, {"o1", "o2", "o3"});
    ASSERT_TRUE(m_doc.StartLoopAt(0, 1));
    ASSERT_TRUE(WaitFor([&] { return m_player.Count() >= 1; }));
    ASSERT_TRUE(m_other.StartLoopAt(0, 2));
    ASSERT_TRUE(WaitFor([&] { return m_player.Count() >= 3; }));
    EXPECT_FALSE(m_doc.IsLooping());
    EXPECT_EQ(First(3), (Texts{"s1", "o1", "o2"}));
    // The first list's song played on until the new loop started.
    const auto starts = m_player.Starts();
    EXPECT_GE(starts[1].atMs - starts[0].atMs, 1500);
    EXPECT_EQ(CLoopState::s_nCurrentToken, 2u);
    m_doc.StopLoop();
    m_doc.OnCloseDocument();
    const std::size_t count = m_player.Count();
    EXPECT_TRUE(WaitFor([&] { return m_player.Count() >= count + 2; }));
    EXPECT_TRUE(m_other.IsLooping());
}

// A player whose next poll after a song's end is held until the test lets it go, so
// the driver sits in the middle of a start while the user stops the loop.
class HeldPollPlayer : public ClockedPlayer {
public:
    using ClockedPlayer::ClockedPlayer;

    bool IsActive() override {
        bool active = ClockedPlayer::IsActive();
        std::unique_lock<std::mutex> lock(m_mutex);
        if (m_bArmed && m_bEnded) {
            m_bArmed = false;
            m_bHeld = true;
            m_cv.notify_all();
            m_cv.wait_for(lock, 5s, [&] { return !m_bHeld; });
            lock.unlock();
            active = ClockedPlayer::IsActive();
            lock.lock();
        }
        m_bEnded = !active;
        return active;
    }
    bool Stop() override {
        m_nStartsAtStop = static_cast<int>(Count());
        return ClockedPlayer::Stop();
    }
    // Holds the first poll after the playing song's end.
    void Arm() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bArmed = true;
        m_bEnded = false;
    }
    bool WaitHeld() {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_cv.wait_for(lock, 5s, [&] { return m_bHeld; });
    }
    void Let() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bHeld = false;
        m_cv.notify_all();
    }
    std::atomic<int> m_nStartsAtStop{-1};

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_bArmed = false;
    bool m_bEnded = false;
    bool m_bHeld = false;
};

TEST_F(LoopDriverTest, StopWaitsForADriverInTheMiddleOfAStart) {
    HeldPollPlayer player(m_clock, 2000, 500);
    m_doc.SetPlayerLink(&player);
    Load(m_doc, Songs(3));
    ASSERT_TRUE(m_doc.StartLoopAt(0, 1));
    ASSERT_TRUE(WaitFor([&] { return player.Count() >= 1; }));
    player.Arm();
    ASSERT_TRUE(player.WaitHeld());
    // The Stop command: the loop, then the player.
    std::thread stop([&] {
        m_doc.StopLoop();
        player.Stop();
    });
    std::this_thread::sleep_for(500ms); // longer than one stop wait
    player.Let();
    stop.join();
    ASSERT_TRUE(WaitFor([&] { return !m_doc.IsLooping(); }));
    EXPECT_EQ(static_cast<int>(player.Count()), player.m_nStartsAtStop.load())
        << "a song started after the Stop";
}

// With "Rem Played" the region's last song has no next line to mark: the region still
// holds the loop while that song plays, up to its mix point.
TEST_F(LoopDriverTest, WithRemPlayedARegionsLastSongPlaysOut) {
    m_doc.SetRemovePlayed(true);
    Load(m_doc, {"a1", "a2", "a3", "a4", "a5", "a6", "R1@3", "r1", "r2", "R2", "b1"});
    ASSERT_TRUE(m_doc.StartLoopAt(0, 1));
    ASSERT_TRUE(CScheduleListThread::StartScheduler(&m_doc, 1, m_clock));
    const auto startOf = [&](const std::string& path) {
        for (const auto& start : m_player.Starts()) {
            if (start.path == path) {
                return start.atMs;
            }
        }
        return std::int64_t{-1};
    };
    ASSERT_TRUE(WaitFor([&] { return startOf("r2") >= 0; }));
    EXPECT_GE(startOf("r1"), 3000) << "the region cuts in within its second";
    EXPECT_LT(startOf("r1"), 4000);
    m_clock.WaitUntil(startOf("r2") + 500);
    EXPECT_TRUE(CLoopState::s_bRegionPlaying);
    EXPECT_TRUE(CLoopState::s_bHold);
    ASSERT_TRUE(WaitFor([&] { return m_player.Paths().back() != "r2"; }));
    EXPECT_GE(m_player.Starts().back().atMs - startOf("r2"), 1500);
    CScheduleListThread::StopScheduler();
}

// A list left with no song while a region's song plays keeps its scheduler: a region
// added later still plays at its time.
TEST_F(LoopDriverTest, TheSchedulerOutlivesAListWithoutSongs) {
    m_doc.SetRemovePlayed(true);
    Load(m_doc, {"R1@2", "x1"});
    ASSERT_TRUE(CScheduleListThread::StartScheduler(&m_doc, 1, m_clock));
    ASSERT_TRUE(WaitFor([&] { return m_player.Count() >= 1; }));
    m_clock.WaitUntil(5000); // x1 has left the list and the scheduler has seen it
    Load(m_doc, {"R2@7", "y1"});
    EXPECT_TRUE(WaitFor([&] { return m_player.Count() >= 2; }, 3s));
    EXPECT_EQ(m_player.Paths(), (Texts{"x1", "y1"}));
    EXPECT_TRUE(m_doc.IsScheduled());
    CScheduleListThread::StopScheduler();
    EXPECT_FALSE(m_doc.IsScheduled());
    EXPECT_FALSE(CLoopState::s_bHold);
}

// A region cuts in while a3 plays (a4 is next on the loop's cursor). After the region's
// last song the loop goes on with a4, whether the region ends at the next header or at
// the end of the list.
TEST_F(LoopDriverTest, AfterARegionTheLoopResumesUnderItsOwnCursor) {
    const std::vector<Texts> lists = {
        {"a1", "a2", "a3", "a4", "a5", "a6", "R1@4", "r1", "r2", "R2", "b1"},
        {"a1", "a2", "a3", "a4", "a5", "a6", "R1@4", "r1", "r2"},
    };
    for (const Texts& list : lists) {
        SCOPED_TRACE(list.size());
        AcceleratedClock clock{10, kStart};
        ClockedPlayer player{clock, 2000, 500};
        CPlayListThreadFactory factory{clock, &m_settings};
        CMixorel2001Doc doc;
        doc.SetSharedSettings(&m_settings);
        doc.SetPlayerLink(&player);
        doc.SetLoopFactory(&factory);
        Load(doc, list);
        ASSERT_TRUE(doc.StartLoopAt(0, 1));
        ASSERT_TRUE(CScheduleListThread::StartScheduler(&doc, 1, clock));
        ASSERT_TRUE(WaitFor([&] { return player.Count() >= 6; }));
        const Texts paths = player.Paths();
        EXPECT_EQ(Texts(paths.begin(), paths.begin() + 6),
                  (Texts{"a1", "a2", "a3", "r1", "r2", "a4"}));
        CScheduleListThread::StopScheduler();
        doc.OnCloseDocument();
    }
}

TEST(SchedulerUnitTest, SecondsCompareAfterRounding) {
    const CDateTime at = CDateTime::FromCalendar(2026, 12, 6, 21, 0, 0);
    const CDateTime hairBelow(at.GetValue() - 0.2 / 86400.0, CDateTime::kValid);
    EXPECT_TRUE(CScheduleListThread::SameSecond(at, hairBelow));
    const CDateTime nextSecond(at.GetValue() + 1.0 / 86400.0, CDateTime::kValid);
    EXPECT_FALSE(CScheduleListThread::SameSecond(at, nextSecond));
    EXPECT_FALSE(CScheduleListThread::SameSecond(at, CDateTime::Null()));
}

} // namespace
