#include "CProcessingQueue.h"

bool CProcessingQueue::Add(const std::string& id) {
    if (!m_live.emplace(id, m_nNextSequence).second) {
        return false;
    }
    m_slots.push_back(Slot{m_nNextSequence, id});
    ++m_nNextSequence;
    return true;
}

bool CProcessingQueue::Remove(const std::string& id) {
    if (m_live.erase(id) == 0) {
        return false;
    }
    if (m_slots.size() > 2 * m_live.size() + 16) {
        Compact();
    }
    return true;
}

std::vector<std::string> CProcessingQueue::GetAll() const {
    std::vector<std::string> ids;
    ids.reserve(m_live.size());
    for (const Slot& slot : m_slots) {
        if (IsLive(slot)) {
            ids.push_back(slot.m_strId);
        }
    }
    return ids;
}

std::string CProcessingQueue::Front() const {
    while (m_nHead < m_slots.size() && !IsLive(m_slots[m_nHead])) {
        ++m_nHead;
    }
    return m_nHead < m_slots.size() ? m_slots[m_nHead].m_strId : std::string();
}

void CProcessingQueue::Clear() {
    m_slots.clear();
    m_live.clear();
    m_nHead = 0;
}

bool CProcessingQueue::IsLive(const Slot& slot) const {
    const auto found = m_live.find(slot.m_strId);
    return found != m_live.end() && found->second == slot.m_nSequence;
}

void CProcessingQueue::Compact() {
    std::vector<Slot> kept;
    kept.reserve(m_live.size());
    for (Slot& slot : m_slots) {
        if (IsLive(slot)) {
            kept.push_back(std::move(slot));
        }
    }
    m_slots = std::move(kept);
    m_nHead = 0;
}
