// Threads: each test's document runs its processing thread; the test body is the user-
// interface side, and one test adds a second user-interface-like thread that changes the
// list. Test code reads records and recording views only under the document lock.

#include "DocumentFakes.h"

#include "catalogue/CAutoTagRun.h"
#include "catalogue/CMemorySongClipboard.h"
#include "catalogue/CMixorel2001Doc.h"
#include "catalogue/CPlaylistContent.h"
#include "catalogue/CProcessListThread.h"
#include "settings/CMemorySettingsStore.h"
#include "settings/CSharedSettings.h"

#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

// Generous bounds: the machine may be loaded and the build may run under ThreadSanitizer.
constexpr auto kDoneWait = 60s;

// Polls until the condition holds or the time is up; answers the condition.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end) {
            return condition();
        }
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

// A document with a recording view; the document calls the view under its lock, so the
// test reads what the view recorded under the same lock.
class ProcessListThreadTest : public ::testing::Test {
protected:
    ProcessListThreadTest() : m_doc(&m_prompt) { m_doc.AddView(&m_view); }
    ~ProcessListThreadTest() override {
        EXPECT_TRUE(m_doc.StopProcessThread());
        m_doc.RemoveView(&m_view);
    }

    // A small MPEG-1 layer III file: count frames of 128 kbit/s at 44100 Hz.
    std::string WriteMpeg(const std::string& name, int count) {
        const std::string path = m_dir.File(name);
        WriteAll(path, TestFiles::Frames(TestFiles::kMpeg1, TestFiles::kLayer3, 9, 0, 0, count));
        return path;
    }

    // count files song0.mp3 ... of first, first + 1, ... frames.
    std::vector<std::string> WriteMpegs(int count, int first) {
        std::vector<std::string> paths;
        for (int n = 0; n < count; ++n) {
            paths.push_back(WriteMpeg("song" + std::to_string(n) + ".mp3", first + n));
        }
        return paths;
    }

    // The list as a playlist file would load it: every song still unprocessed, the paths
    // repeated up to count lines.
    void Load(const std::vector<std::string>& paths, std::size_t count = 0) {
        CPlaylistContent content;
        for (std::size_t n = 0; n < std::max(count, paths.size()); ++n) {
            content.m_songs.push_back(MakeSong(paths[n % paths.size()]));
        }
        m_doc.Serialize(content);
    }

    // Waits for the thread to read every line, then checks each line read at 128 kbit/s,
    // found under its identity at its index, and the totals the sum of the lines.
    void ExpectAllRead(int count, std::chrono::milliseconds limit = kDoneWait) {
        ASSERT_TRUE(WaitUntil([&] { return AllProcessed(); }, limit));
        std::lock_guard lock(m_doc.GetMutex());
        EXPECT_EQ(m_doc.GetCount(), count);
        std::uint32_t totalTime = 0;
        double totalSize = 0;
        std::set<std::string> ids;
        for (int index = 0; index < m_doc.GetCount(); ++index) {
            const CSong* song = m_doc.GetSongAt(index);
            EXPECT_EQ(std::pair(song->GetBitrate(), song->GetSampleRate()),
                      std::pair(128000, 44100));
            EXPECT_GT(song->GetSize(), 0u);
            EXPECT_NE(song->GetTitle(), "Title of " + song->GetPath());
            totalTime += song->GetDuration();
            totalSize += song->GetSize();
            ids.insert(song->GetId());
            EXPECT_EQ(m_doc.IndexOf(song), index);
        }
        EXPECT_EQ(ids.size(), static_cast<std::size_t>(count));
        EXPECT_EQ(m_doc.GetTotalTime(), totalTime);
        EXPECT_DOUBLE_EQ(m_doc.GetTotalSize(), totalSize);
    }

    // Gives the thread a range while it sleeps on the empty list, loads the files and
    // answers the lines the processing redrew, in order.
    std::vector<int> RedrawnAfterLoading(int count, int first, int last) {
        const std::vector<std::string> paths = WriteMpegs(count, 5);
        EXPECT_TRUE(m_doc.CreateProcessThread(false));
        EXPECT_TRUE(m_doc.SetProcessRange(first, last));
        {
            std::lock_guard lock(m_doc.GetMutex());
            Load(paths);
            m_view.m_redrawn.clear();
        }
        EXPECT_TRUE(WaitUntil([&] { return AllProcessed(); }, kDoneWait));
        return Redrawn();
    }

    bool AllProcessed() const {
        std::lock_guard lock(m_doc.GetMutex());
        for (int index = 0; index < m_doc.GetCount(); ++index) {
            if (!m_doc.GetSongAt(index)->HasInfo()) {
                return false;
            }
        }
        return m_doc.GetProcessingQueue().empty();
    }

    // The lines the processing redrew, in order.
    std::vector<int> Redrawn() const {
        std::lock_guard lock(m_doc.GetMutex());
        std::vector<int> lines = m_view.m_redrawn;
        std::erase(lines, -1);
        return lines;
    }

    TempDir m_dir;
    FakePrompt m_prompt;
    FakeView m_view;
    CMixorel2001Doc m_doc;
};

// The visible range is served before the queue; a range past the end is skipped.
TEST_F(ProcessListThreadTest, ARangePastTheEndIsSkipped) {
    EXPECT_EQ(RedrawnAfterLoading(5, 3, 2000000000), (std::vector<int>{3, 4, 0, 1, 2}));
    // A range wholly past the end while the thread sleeps on the empty queue, then a new
    // song: the thread wakes and goes on with the queue.
    ASSERT_TRUE(m_doc.SetProcessRange(100, 120));
    Insert(m_doc, MakeSong(WriteMpeg("late.mp3", 5)));
    EXPECT_TRUE(WaitUntil([&] { return AllProcessed(); }, kDoneWait));
}

// Without a frame the song keeps the file's size (0 for a missing file), as a song
// processed outside a document does.
TEST_F(ProcessListThreadTest, AFileWithoutFramesGetsZeroInfoAndCountsAsProcessed) {
    std::vector<std::uint8_t> wav = {'R', 'I', 'F', 'F', 0x24, 0x10, 0, 0, 'W', 'A', 'V', 'E',
                                     'f', 'm', 't', ' ', 16,   0,    0, 0, 1,   0,   2,   0};
    wav.resize(4096, 0);
    const std::string path = m_dir.File("sound.wav");
    WriteAll(path, wav);
    ASSERT_TRUE(m_doc.CreateProcessThread(false));
    Load({path, m_dir.File("missing.mp3")});
    ASSERT_TRUE(WaitUntil([&] { return AllProcessed(); }, kDoneWait));

    std::lock_guard lock(m_doc.GetMutex());
    for (int index = 0; index < 2; ++index) {
        const CSong* s = m_doc.GetSongAt(index);
        EXPECT_EQ(
            (std::vector<std::int64_t>{s->HasInfo(), s->GetSize(), s->GetBitrate(),
                                       s->GetSampleRate(), s->GetChannelMode(), s->GetDuration()}),
            (std::vector<std::int64_t>{1, index == 0 ? 4096 : 0, 0, 0, 0, 0}));
    }
    EXPECT_EQ(m_doc.GetTotalTime(), 0u);
    EXPECT_DOUBLE_EQ(m_doc.GetTotalSize(), 4096.0);
}

// A song read again after a tag edit (marked unprocessed, then processed at once) or an
// auto-tag run (queued for the thread) leaves its old time and size in no total.
TEST_F(ProcessListThreadTest, TotalsStayRightWhenEditedSongsAreReadAgain) {
    Load(WriteMpegs(3, 5));
    while (m_doc.ProcessNextQueued()) {
    }
    ExpectAllRead(3);
    const std::string edited = m_doc.GetSongAt(0)->GetId();
    m_doc.SetProcessed(*m_doc.FindById(edited), false);
    EXPECT_TRUE(m_doc.ProcessSong(edited));
    FilenamePattern pattern;
    ASSERT_TRUE(pattern.SetCriteria("{TITLE}"));
    EXPECT_EQ(CAutoTagRun::Run(m_doc, {m_doc.GetSongAt(1)->GetId()}, pattern, {}, nullptr), 1);
    ASSERT_TRUE(m_doc.CreateProcessThread(false));
    ExpectAllRead(3);
}

TEST_F(ProcessListThreadTest, RunsAtIdlePriority) {
    ASSERT_TRUE(m_doc.CreateProcessThread());
    Load({WriteMpeg("a.mp3", 5), WriteMpeg("b.mp3", 5)});
    EXPECT_TRUE(WaitUntil([&] { return AllProcessed(); }, kDoneWait));
    std::lock_guard lock(m_doc.GetMutex());
    EXPECT_EQ(m_view.m_policies, (std::vector<int>{SCHED_IDLE, SCHED_IDLE}));
}

TEST_F(ProcessListThreadTest, ClosingWhileProcessingEndsWithinTheLimit) {
    EXPECT_TRUE(m_doc.StopProcessThread()) << "no thread to stop";
    EXPECT_FALSE(m_doc.SetProcessRange(0, 10));
    ASSERT_TRUE(m_doc.CreateProcessThread(false));
    Load({WriteMpeg("shared.mp3", 200)}, 2000);
    ASSERT_TRUE(WaitUntil([&] { return m_doc.GetProcessingQueue().size() < 1990; }, kDoneWait));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(m_doc.StopProcessThread());
    EXPECT_LT(std::chrono::steady_clock::now() - start, CMixorel2001Doc::kProcessStopWait);
    EXPECT_FALSE(m_doc.HasProcessThread());
    // Without a thread nothing more is processed.
    const std::size_t left = m_doc.GetProcessingQueue().size();
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(m_doc.GetProcessingQueue().size(), left);
}

TEST_F(ProcessListThreadTest, AUserInterfaceThreadChangesTheListWhileTheThreadWorks) {
    const std::vector<std::string> paths = WriteMpegs(20, 10);
    ASSERT_TRUE(m_doc.CreateProcessThread(false));
    Load(paths, 2000);
    std::thread ui([&] {
        IUserPrompt::DuplicateAnswer answer = IUserPrompt::kYesToAll;
        for (int n = 0; n < 300; ++n) {
            const int count = m_doc.GetCount();
            m_doc.InsertSongAt((n * 37) % count, MakeSong(paths[static_cast<std::size_t>(n % 20)]),
                               answer);
            std::string id;
            {
                std::lock_guard lock(m_doc.GetMutex());
                id = m_doc.GetSongAt((n * 53) % m_doc.GetCount())->GetId();
            }
            m_doc.RemoveSongs({id});
            m_doc.SetProcessRange((n * 7) % count, (n * 7) % count + 20);
            std::this_thread::yield();
        }
    });
    ui.join();
    ExpectAllRead(2000, 120s);
    EXPECT_TRUE(m_prompt.m_messages.empty());
}

// Moves, sorts, shuffles, cut and paste from one thread and settings reloads (whose
// template makes the titles) from another while the processing thread reads songs:
// every line ends processed once, the totals match the lines and no song is lost or
// doubled.
TEST_F(ProcessListThreadTest, WholeListCommandsRaceTheThread) {
    const std::vector<std::string> paths = WriteMpegs(16, 10);
    CMemorySettingsStore store;
    CSharedSettings settings(store);
    ASSERT_TRUE(settings.Reload());
    m_doc.SetSharedSettings(&settings);
    CMemorySongClipboard clipboard;
    m_doc.SetClipboard(&clipboard);
    ASSERT_TRUE(m_doc.CreateProcessThread(false));
    Load(paths, 3000);
    std::atomic<bool> done{false};
    std::thread reloader([&] {
        while (!done) {
            settings.Reload();
            std::this_thread::yield();
        }
    });
    std::thread ui([&] {
        for (int n = 0; n < 200; ++n) {
            const int count = m_doc.GetCount();
            m_doc.MoveUp((n * 31) % count);
            m_doc.MoveDown((n * 17) % count);
            m_doc.MoveToTop((n * 13) % count);
            m_doc.MoveToBottom((n * 11) % count);
            m_doc.SwapLines(n % count, (n * 7) % count);
            if (n % 40 == 0) {
                m_doc.Sort(n % 4, n % 80 == 0);
                m_doc.ShuffleInPlace(false);
            }
            std::vector<std::string> ids;
            {
                std::lock_guard lock(m_doc.GetMutex());
                ids.push_back(m_doc.GetSongAt((n * 53) % count)->GetId());
                ids.push_back(m_doc.GetSongAt((n * 59 + 1) % count)->GetId());
            }
            if (ids[0] != ids[1] && m_doc.CopySongs(ids, true, false)) {
                IUserPrompt::DuplicateAnswer answer = IUserPrompt::kYesToAll;
                m_doc.PasteSongs((n * 3) % (count - 2), nullptr, false, answer);
            }
            m_doc.SetProcessRange((n * 7) % count, (n * 7) % count + 20);
        }
    });
    ui.join();
    done = true;
    reloader.join();
    ExpectAllRead(3000, 120s);
}

TEST(ProcessListThreadUnitTest, RangeAndEventsWithoutRunning) {
    CMixorel2001Doc doc;
    CProcessListThread thread(doc, nullptr, false);
    EXPECT_TRUE(thread.SetRange(1, 2));
    thread.SetStartProcessing(true);
    thread.SetDie(true);
    // Without events Run ends at once.
    thread.Run();
    EXPECT_TRUE(thread.WaitEnded(0ms));
}

TEST(ProcessListThreadUnitTest, RunEndsWhenDieIsSetBeforeItStarts) {
    CMixorel2001Doc doc;
    CProcessListThread thread(doc, nullptr, false);
    ASSERT_TRUE(thread.CreateEvents());
    thread.SetDie(true);
    std::thread worker([&] { thread.Run(); });
    EXPECT_TRUE(thread.WaitEnded(10s));
    worker.join();
}

} // namespace
