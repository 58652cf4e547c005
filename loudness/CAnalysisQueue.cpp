#include "loudness/CAnalysisQueue.h"

namespace {

constexpr std::size_t kSortInStep = 1000;

} // namespace

void CAnalysisQueue::Add(std::vector<std::string> paths, Priority priority) {
    {
        std::lock_guard lock(m_mutex);
        // A long list waits in the inbox, so adding it costs the caller nothing; a short
        // one is sorted in at once, so its songs are counted once in the progress even
        // when some of them come again as more urgent.
        if (priority == kRest && (!m_inbox.empty() || paths.size() > kSortInStep)) {
            m_nInboxCount += static_cast<std::int64_t>(paths.size());
            m_inbox.push_back(std::move(paths));
        } else {
            for (const std::string& path : paths) {
                Insert(path, priority);
            }
        }
    }
    m_wake.notify_all();
}

void CAnalysisQueue::Insert(const std::string& path, Priority priority) {
    if (path.empty() || m_taken.count(path) != 0) {
        return;
    }
    auto found = m_waiting.find(path);
    if (found != m_waiting.end()) {
        if (std::get<0>(found->second) <= priority) {
            return;
        }
        m_order.erase(found->second);
        m_waiting.erase(found);
    }
    Key key{priority, m_nSequence++, path};
    m_order.insert(key);
    m_waiting.emplace(path, std::move(key));
}

void CAnalysisQueue::SortInSome() {
    for (std::size_t moved = 0; moved < kSortInStep && !m_inbox.empty();) {
        std::vector<std::string>& batch = m_inbox.front();
        for (; m_nInboxRead < batch.size() && moved < kSortInStep; ++m_nInboxRead, ++moved) {
            Insert(batch[m_nInboxRead], kRest);
            --m_nInboxCount;
        }
        if (m_nInboxRead == batch.size()) {
            m_inbox.pop_front();
            m_nInboxRead = 0;
        }
    }
}

std::optional<std::string> CAnalysisQueue::Take() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_bClosed || !m_order.empty() || !m_inbox.empty(); });
        if (m_bClosed) {
            return std::nullopt;
        }
        // The inbox holds only the rest: sort some in when nothing more urgent waits.
        if (m_order.empty() || std::get<0>(*m_order.begin()) == kRest) {
            SortInSome();
        }
        if (!m_order.empty()) {
            break;
        }
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
    // Songs still in the inbox count as waiting though some may turn out to be known.
    progress.nTotal = static_cast<std::int64_t>(m_taken.size() + m_waiting.size()) + m_nInboxCount;
    return progress;
}
