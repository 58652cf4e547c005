// The background analysis with a fake analyser: the order of the queue, the cache that
// spares a second analysis, an unreadable file, and a stop in the middle of a song.
#include "loudness/CLoudnessService.h"
#include "support/TempDir.h"

#include <chrono>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

namespace {

using namespace std::chrono_literals;

class FakeAnalyser : public IAudioAnalyser {
public:
    Outcome Analyse(const std::string& path, bool /*truePeak*/, const std::atomic<bool>& stop,
                    LoudnessMeasurement& m) override {
        {
            std::lock_guard lock(m_mutex);
            m_order.push_back(path.substr(path.rfind('/') + 1));
        }
        if (path.ends_with("endless.wav")) {
            m_bInEndless = true;
            while (!stop.load()) {
                std::this_thread::sleep_for(1ms);
            }
            return Outcome::kStopped;
        }
        if (path.ends_with("changing.wav")) {
            WriteAll(path, std::vector<std::uint8_t>(120, 9)); // rewritten meanwhile
        }
        if (path.ends_with("bad.wav")) {
            return Outcome::kUnreadable;
        }
        m.dIntegratedLufs = -10.0;
        m.dSamplePeakDbfs = -1.0;
        m.dDurationSeconds = 1.0;
        m.headMomentaryLufs.assign(10, -10.0f);
        m.headPeakDbfs.assign(10, -1.0f);
        m.tailMomentaryLufs = m.headMomentaryLufs;
        m.tailPeakDbfs = m.headPeakDbfs;
        return Outcome::kMeasured;
    }
    std::vector<std::string> Order() {
        std::lock_guard lock(m_mutex);
        return m_order;
    }
    std::atomic<bool> m_bInEndless{false};

private:
    std::mutex m_mutex;
    std::vector<std::string> m_order;
};

bool WaitUntil(const std::function<bool()>& condition) {
    for (int i = 0; i < 500 && !condition(); ++i) {
        std::this_thread::sleep_for(10ms);
    }
    return condition();
}

TEST(LoudnessServiceTest, NextSongsFirstThenInViewThenTheRestEachOnce) {
    TempDir dir;
    std::vector<std::string> paths;
    for (const char* name : {"a.wav", "b.wav", "c.wav", "bad.wav", "view.wav", "next.wav"}) {
        paths.push_back(dir.File(name));
        WriteAll(paths.back(),
                 std::vector<std::uint8_t>(100, static_cast<std::uint8_t>(paths.size())));
    }
    auto cache = std::make_shared<CLoudnessCache>();
    ASSERT_TRUE(cache->Open(dir.File("cache.sqlite")));
    auto analyser = std::make_shared<FakeAnalyser>();
    {
        CLoudnessService service(cache, analyser, [] { return -18.0; });
        service.Add({paths[0], paths[1], paths[2], paths[3], paths[4]}, CAnalysisQueue::kRest);
        service.Add({paths[4], paths[0]}, CAnalysisQueue::kInView);
        service.Add({paths[5], paths[4]}, CAnalysisQueue::kNextInLoop);
        EXPECT_EQ(service.GetProgress().nTotal, 6) << "each song counts once from the start";
        service.Start(1);
        ASSERT_TRUE(WaitUntil([&] { return service.GetProgress().nDone == 6; }));
        EXPECT_EQ(service.GetProgress().nTotal, 6);
        service.Add({paths[1]}, CAnalysisQueue::kInView); // taken already: not again
    }
    EXPECT_EQ(analyser->Order(), (std::vector<std::string>{"next.wav", "view.wav", "a.wav", "b.wav",
                                                           "c.wav", "bad.wav"}));
    const auto bad = cache->Lookup(paths[3]);
    ASSERT_TRUE(bad.has_value());
    EXPECT_FALSE(bad->IsAnalysed());
    EXPECT_DOUBLE_EQ(cache->Lookup(paths[0])->dIntegratedLufs, -10.0);

    // The next run finds everything in the cache and analyses nothing.
    auto again = std::make_shared<FakeAnalyser>();
    CLoudnessService service(cache, again, [] { return -18.0; });
    service.Add(paths, CAnalysisQueue::kRest);
    service.Start(2);
    ASSERT_TRUE(WaitUntil([&] { return service.GetProgress().nDone == 6; }));
    EXPECT_TRUE(again->Order().empty());
}

// A stop in the middle of a song ends the worker (the fake returns at once, as the real
// analyser does within a pull of 40 ms); the song is not stored as analysed.
TEST(LoudnessServiceTest, StopEndsTheWorkerInTheMiddleOfASong) {
    TempDir dir;
    const std::string endless = dir.File("endless.wav");
    WriteAll(endless, std::vector<std::uint8_t>(100, 7));
    auto cache = std::make_shared<CLoudnessCache>();
    ASSERT_TRUE(cache->Open(dir.File("cache.sqlite")));
    auto analyser = std::make_shared<FakeAnalyser>();
    CLoudnessService service(cache, analyser, [] { return -18.0; });
    service.Add({endless}, CAnalysisQueue::kRest);
    service.Start(1);
    ASSERT_TRUE(WaitUntil([&] { return analyser->m_bInEndless.load(); }));
    service.Stop();
    EXPECT_FALSE(cache->Lookup(endless).has_value());
    EXPECT_EQ(service.GetProgress().nDone, 0);
}

// A file rewritten while it is analysed is not stored: its result would belong to bytes
// that are gone. It counts as not done, to be asked for again.
TEST(LoudnessServiceTest, FileChangedDuringTheAnalysisIsNotStored) {
    TempDir dir;
    const std::string changing = dir.File("changing.wav");
    const std::string steady = dir.File("steady.wav");
    WriteAll(changing, std::vector<std::uint8_t>(100, 8));
    WriteAll(steady, std::vector<std::uint8_t>(100, 10));
    auto cache = std::make_shared<CLoudnessCache>();
    ASSERT_TRUE(cache->Open(dir.File("cache.sqlite")));
    auto analyser = std::make_shared<FakeAnalyser>();
    CLoudnessService service(cache, analyser, [] { return -18.0; });
    service.Add({changing, steady}, CAnalysisQueue::kRest);
    service.Start(1);
    ASSERT_TRUE(WaitUntil([&] { return service.GetProgress().nDone == 1; }));
    service.Stop();
    EXPECT_FALSE(cache->Lookup(changing).has_value());
    EXPECT_TRUE(cache->Lookup(steady).has_value());
    EXPECT_EQ(analyser->Order(), (std::vector<std::string>{"changing.wav", "steady.wav"}));
}

} // namespace
