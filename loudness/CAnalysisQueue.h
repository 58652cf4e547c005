#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
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
// A batch of the rest (a whole playlist of 100,000 songs) is only moved into an inbox by
// Add; the workers sort it in, a thousand songs at a time, when nothing more urgent
// waits, so opening a large playlist costs its thread nothing.
//
// Threads: any thread adds; the analysis workers take. One mutex guards everything.
class CAnalysisQueue {
public:
    enum Priority : int { kNextInLoop = 0, kInView = 1, kRest = 2 };

    struct Progress {
        std::int64_t nDone = 0;
        std::int64_t nTotal = 0;
    };

    void Add(std::vector<std::string> paths, Priority priority);
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

    void Insert(const std::string& path, Priority priority);
    // Moves up to a thousand songs of the inbox into the order.
    void SortInSome();

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::set<Key> m_order;
    std::map<std::string, Key, std::less<>> m_waiting;
    std::unordered_set<std::string> m_taken;
    std::deque<std::vector<std::string>> m_inbox;
    std::size_t m_nInboxRead = 0; // songs of the inbox's first batch already sorted in
    std::int64_t m_nInboxCount = 0;
    std::uint64_t m_nSequence = 0;
    std::int64_t m_nDone = 0;
    bool m_bClosed = false;
};
