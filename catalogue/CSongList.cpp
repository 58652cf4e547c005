#include "CSongList.h"

#include <algorithm>
#include <utility>

void CSongList::Reserve(std::size_t count) {
    m_songs.reserve(count);
    m_ids.reserve(count);
    m_locations.reserve(count);
}

CSong& CSongList::Insert(std::size_t index, std::unique_ptr<CSong> song) {
    index = std::min(index, m_songs.size());
    CSong& record = *song;
    const bool atEnd = index == m_songs.size();
    const bool wasValid = m_nValidUpTo == m_songs.size();
    m_songs.insert(m_songs.begin() + static_cast<std::ptrdiff_t>(index), std::move(song));
    m_ids[record.GetId()] = index;
    if (atEnd && wasValid) {
        m_nValidUpTo = m_songs.size();
    } else {
        m_nValidUpTo = std::min(m_nValidUpTo, index);
    }
    AddLocation(record.GetLocation());
    return record;
}

void CSongList::InsertRange(std::size_t index, std::vector<std::unique_ptr<CSong>> songs) {
    index = std::min(index, m_songs.size());
    const bool atEnd = index == m_songs.size();
    const bool wasValid = m_nValidUpTo == m_songs.size();
    for (std::size_t i = 0; i < songs.size(); ++i) {
        m_ids[songs[i]->GetId()] = index + i;
        AddLocation(songs[i]->GetLocation());
    }
    m_songs.insert(m_songs.begin() + static_cast<std::ptrdiff_t>(index),
                   std::make_move_iterator(songs.begin()), std::make_move_iterator(songs.end()));
    if (atEnd && wasValid) {
        m_nValidUpTo = m_songs.size();
    } else {
        m_nValidUpTo = std::min(m_nValidUpTo, index);
    }
}

void CSongList::Permute(const std::vector<std::size_t>& order) {
    std::vector<std::unique_ptr<CSong>> lines(m_songs.size());
    std::size_t firstMoved = m_songs.size();
    for (std::size_t line = 0; line < lines.size(); ++line) {
        if (order[line] != line && firstMoved == m_songs.size()) {
            firstMoved = line;
        }
        lines[line] = std::move(m_songs[order[line]]);
    }
    m_songs = std::move(lines);
    m_nValidUpTo = std::min(m_nValidUpTo, firstMoved);
}

void CSongList::Swap(std::size_t a, std::size_t b) {
    std::swap(m_songs[a], m_songs[b]);
    m_ids[m_songs[a]->GetId()] = a;
    m_ids[m_songs[b]->GetId()] = b;
}

std::int64_t CSongList::FindIndex(const std::string& id) const {
    for (int attempt = 0; attempt < 2; ++attempt) {
        const auto found = m_ids.find(id);
        if (found == m_ids.end()) {
            return -1;
        }
        const std::size_t index = found->second;
        if (index < m_songs.size() && m_songs[index]->GetId() == id) {
            return static_cast<std::int64_t>(index);
        }
        Reindex();
    }
    return -1;
}

bool CSongList::ContainsLocation(const std::string& location) const {
    return m_locations.find(location) != m_locations.end();
}

std::vector<std::unique_ptr<CSong>> CSongList::RemoveFlagged(const std::vector<bool>& flags) {
    std::vector<std::unique_ptr<CSong>> removed;
    std::size_t kept = 0;
    std::size_t first = m_songs.size();
    for (std::size_t index = 0; index < m_songs.size(); ++index) {
        if (index < flags.size() && flags[index]) {
            first = std::min(first, index);
            m_ids.erase(m_songs[index]->GetId());
            RemoveLocation(m_songs[index]->GetLocation());
            removed.push_back(std::move(m_songs[index]));
        } else {
            if (kept != index) {
                m_songs[kept] = std::move(m_songs[index]);
            }
            ++kept;
        }
    }
    m_songs.resize(kept);
    m_nValidUpTo = std::min(m_nValidUpTo, first);
    return removed;
}

std::unique_ptr<CSong> CSongList::Replace(std::size_t index, std::unique_ptr<CSong> song) {
    std::unique_ptr<CSong> old = std::move(m_songs[index]);
    m_ids.erase(old->GetId());
    RemoveLocation(old->GetLocation());
    m_ids[song->GetId()] = index;
    AddLocation(song->GetLocation());
    m_songs[index] = std::move(song);
    return old;
}

void CSongList::UpdateLocation(const std::string& oldLocation, const std::string& newLocation) {
    if (oldLocation != newLocation) {
        RemoveLocation(oldLocation);
        AddLocation(newLocation);
    }
}

void CSongList::Clear() {
    m_songs.clear();
    m_ids.clear();
    m_locations.clear();
    m_nValidUpTo = 0;
}

void CSongList::Reindex() const {
    for (std::size_t index = m_nValidUpTo; index < m_songs.size(); ++index) {
        m_ids[m_songs[index]->GetId()] = index;
    }
    m_nValidUpTo = m_songs.size();
}

void CSongList::AddLocation(const std::string& location) {
    ++m_locations[location];
}

void CSongList::RemoveLocation(const std::string& location) {
    const auto found = m_locations.find(location);
    if (found != m_locations.end() && --found->second == 0) {
        m_locations.erase(found);
    }
}
