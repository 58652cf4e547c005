#pragma once

#include "CSong.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// The lines of a playlist with their identity and location indexes. Not locked: the
// document that owns it guards it with its own lock.
//
// The lines are a vector of owned records, so line N is found at once. The identity index
// maps an identity to the line it was last seen at; entries below m_nValidUpTo are known
// to be right, the others are checked against the line they name and, when wrong, the
// tail from m_nValidUpTo on is re-indexed once. Appending keeps everything valid (loading
// and import stay linear); an insert or removal in the middle already shifts the tail of
// the vector, so re-indexing that tail later costs no more than the change itself.
// The location index counts the records per location (case-sensitive), which is all a
// duplicate check or Contains needs.
class CSongList {
public:
    std::size_t GetCount() const { return m_songs.size(); }
    CSong* GetAt(std::size_t index) const { return m_songs[index].get(); }

    // Room for count lines in all, so that loading does not grow the indexes step by step.
    void Reserve(std::size_t count);
    // Inserts at index (0 ... count) and indexes the record.
    CSong& Insert(std::size_t index, std::unique_ptr<CSong> song);
    // Inserts a block of records at index (0 ... count) in one move of the tail.
    void InsertRange(std::size_t index, std::vector<std::unique_ptr<CSong>> songs);
    // Puts the lines in a new order: line i receives the record of line order[i] (order
    // must be a permutation). The locations stay the same set, so only the identity index
    // is refreshed, lazily.
    void Permute(const std::vector<std::size_t>& order);
    // Exchanges the records of two lines.
    void Swap(std::size_t a, std::size_t b);
    // The line of an identity, or -1.
    std::int64_t FindIndex(const std::string& id) const;
    bool ContainsLocation(const std::string& location) const;
    // Removes the lines whose flag is set (flags.size() == count) in one pass and hands
    // the removed records back in list order.
    std::vector<std::unique_ptr<CSong>> RemoveFlagged(const std::vector<bool>& flags);
    // Replaces the record at a line and re-indexes it; answers the old record.
    std::unique_ptr<CSong> Replace(std::size_t index, std::unique_ptr<CSong> song);
    // A record's location changed while it is in the list.
    void UpdateLocation(const std::string& oldLocation, const std::string& newLocation);
    void Clear();

private:
    void Reindex() const;
    void AddLocation(const std::string& location);
    void RemoveLocation(const std::string& location);

    std::vector<std::unique_ptr<CSong>> m_songs;
    mutable std::unordered_map<std::string, std::size_t> m_ids;
    mutable std::size_t m_nValidUpTo = 0;
    std::unordered_map<std::string, std::uint32_t> m_locations;
};
