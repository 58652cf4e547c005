#include "CPlayedSongs.h"

#include <new>

CPlayedSongs& CPlayedSongs::Shared() {
    static CPlayedSongs played;
    return played;
}

bool CPlayedSongs::Add(const CSong& song) {
    try {
        auto copy = std::make_unique<CSong>();
        copy->Assign(song, false);
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_locations[copy->GetLocation()];
        m_songs.push_back(std::move(copy));
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

std::size_t CPlayedSongs::GetCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_songs.size();
}

bool CPlayedSongs::Contains(const std::string& location) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_locations.count(location) != 0;
}

void CPlayedSongs::Empty() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_songs.clear();
    m_locations.clear();
}
