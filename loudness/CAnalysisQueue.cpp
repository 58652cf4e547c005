#include "loudness/CAnalysisQueue.h"

void CAnalysisQueue::Add(const std::vector<std::string>& paths, Priority priority) {
    {
        std::lock_guard lock(m_mutex);
        for (const std::string& path : paths) {
            if (path.empty() || m_taken.count(path) != 0) {
                continue;
            }
            auto found = m_waiting.find(path);
            if (found != m_waiting.end()) {
                if (std::get<0>(found->second) <= priority) {
                    continue;
                }
                m_order.erase(found->second);
                m_waiting.erase(found);
            }
            Key key{priority, m_nSequence++, path};
            m_order.insert(key);
            m_waiting.emplace(path, std::move(key));
        }
    }
    m_wake.notify_all();
}

std::optional<std::string> CAnalysisQueue::Take() {
    std::unique_lock lock(m_mutex);
    m_wake.wait(lock, [this] { return m_bClosed || !m_order.empty(); });
    if (m_bClosed) {
        return std::nullopt;
    }
    std::string path = std::get<2>(*m_order.begin());
    m_order.erase(m_order.begin());
    m_waiting.erase(path);
    m_taken.insert(path);
    return path;
}

void CAnalysisQueue::Finish(const std::string& path) {
    std::lock_guard lock(m_mutex);
    if (m_taken.count(path) != 0) {
        ++m_nDone;
    }
}

void CAnalysisQueue::Forget(const std::string& path) {
    std::lock_guard lock(m_mutex);
    m_taken.erase(path);
}

void CAnalysisQueue::Close() {
    {
        std::lock_guard lock(m_mutex);
        m_bClosed = true;
    }
    m_wake.notify_all();
}

CAnalysisQueue::Progress CAnalysisQueue::GetProgress() const {
    std::lock_guard lock(m_mutex);
    Progress progress;
    progress.nDone = m_nDone;
    // Every song taken counts once; a forgotten one that waits again counts as waiting.
    progress.nTotal = static_cast<std::int64_t>(m_taken.size() + m_waiting.size());
    return progress;
}
