#pragma once

#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <unordered_set>
#include <vector>

// The songs waiting for analysis, the most urgent first: the looping list's next songs,
// then the lines in view, then the rest, each group in the order it was asked for. A
// song asked for again with a higher priority moves up; a song already taken in this
// run is not queued again.
//
// Threads: any thread adds; the analysis workers take. One mutex guards everything.
class CAnalysisQueue {
public:
    enum Priority : int { kNextInLoop = 0, kInView = 1, kRest = 2 };

    struct Progress {
        std::int64_t nDone = 0;
        std::int64_t nTotal = 0;
    };

    void Add(const std::vector<std::string>& paths, Priority priority);
    // The most urgent song, waiting until there is one or Close was called (nothing).
    std::optional<std::string> Take();
    // Marks a taken song finished (analysed, found in the cache or given up).
    void Finish(const std::string& path);
    // A taken song that could not be finished now (stopped, or changed under the
    // analyser) is forgotten, so it is asked for again later.
    void Forget(const std::string& path);
    // Wakes every Take for good.
    void Close();

    // Songs finished in this run, of all songs queued in this run.
    Progress GetProgress() const;

private:
    using Key = std::tuple<int, std::uint64_t, std::string>;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::set<Key> m_order;
    std::map<std::string, Key, std::less<>> m_waiting;
    std::unordered_set<std::string> m_taken;
    std::uint64_t m_nSequence = 0;
    std::int64_t m_nDone = 0;
    bool m_bClosed = false;
};
