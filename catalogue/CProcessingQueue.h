#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

// The identities of the records waiting for the processing thread, each at most once, in
// the order queued. Taking an identity out is O(1): its slot is only forgotten and the
// array is compacted once dead slots outnumber the live ones. Not locked: the document
// guards it with its own lock.
class CProcessingQueue {
public:
    // False when the identity is already queued.
    bool Add(const std::string& id);
    // False when it was not queued.
    bool Remove(const std::string& id);
    bool Contains(const std::string& id) const { return m_live.count(id) != 0; }
    std::size_t GetCount() const { return m_live.size(); }
    bool IsEmpty() const { return m_live.empty(); }
    // The queued identities in order.
    std::vector<std::string> GetAll() const;
    // The identity that has waited longest; empty when none waits. Amortised constant:
    // slots of removed identities at the head are stepped over once.
    std::string Front() const;
    void Clear();

private:
    struct Slot {
        std::uint64_t m_nSequence;
        std::string m_strId;
    };
    bool IsLive(const Slot& slot) const;
    void Compact();

    std::vector<Slot> m_slots;
    std::unordered_map<std::string, std::uint64_t> m_live;
    std::uint64_t m_nNextSequence = 0;
    // Slots before this one belong to identities that are no longer queued.
    mutable std::size_t m_nHead = 0;
};
