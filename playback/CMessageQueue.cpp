#include "CMessageQueue.h"

bool CMessageQueue::Post(std::uint32_t nId, std::uint64_t nParam) {
    {
        std::lock_guard lock(m_mutex);
        if (m_bClosed) {
            return false;
        }
        m_messages.push_back(ThreadMessage{nId, nParam});
    }
    m_cvPosted.notify_one();
    return true;
}

bool CMessageQueue::PostQuit() {
    return Post(kQuit);
}

void CMessageQueue::Close() {
    std::lock_guard lock(m_mutex);
    m_bClosed = true;
}

bool CMessageQueue::Peek(ThreadMessage& message) const {
    std::lock_guard lock(m_mutex);
    if (m_messages.empty()) {
        return false;
    }
    message = m_messages.front();
    return true;
}

bool CMessageQueue::Take(ThreadMessage& message) {
    std::lock_guard lock(m_mutex);
    if (m_messages.empty()) {
        return false;
    }
    message = m_messages.front();
    m_messages.pop_front();
    return true;
}

void CMessageQueue::Get(ThreadMessage& message) {
    std::unique_lock lock(m_mutex);
    m_cvPosted.wait(lock, [this] { return !m_messages.empty(); });
    message = m_messages.front();
    m_messages.pop_front();
}

bool CMessageQueue::GetFor(ThreadMessage& message, std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    if (!m_cvPosted.wait_for(lock, timeout, [this] { return !m_messages.empty(); })) {
        return false;
    }
    message = m_messages.front();
    m_messages.pop_front();
    return true;
}
