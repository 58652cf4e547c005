#pragma once

#include "CSong.h"

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

// The songs played since the program started, shared by every playlist and thread: copies
// of the records in playing order with a count per location, under their own mutex.
class CPlayedSongs {
public:
    // The one list of the process.
    static CPlayedSongs& Shared();

    // Appends a copy with a fresh identity.
    bool Add(const CSong& song);
    std::size_t GetCount() const;
    bool Contains(const std::string& location) const;
    // Calls visit for every played song in playing order, with the list's mutex held.
    template <typename Visit> void ForEach(Visit visit) const {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (const std::unique_ptr<CSong>& song : m_songs) {
            visit(*song);
        }
    }
    // Calls visit with the song played last, with the list's mutex held; false when none.
    template <typename Visit> bool VisitLast(Visit visit) const {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_songs.empty()) {
            return false;
        }
        visit(*m_songs.back());
        return true;
    }
    void Empty();

private:
    mutable std::mutex m_mutex;
    std::vector<std::unique_ptr<CSong>> m_songs;
    std::unordered_map<std::string, std::size_t> m_locations;
};
