#include "CRecursiveTimedMutex.h"

void CRecursiveTimedMutex::lock() {
    std::unique_lock lock(m_mutex);
    const std::thread::id self = std::this_thread::get_id();
    if (m_owner != self) {
        m_cvFree.wait(lock, [this] { return m_nDepth == 0; });
        m_owner = self;
    }
    ++m_nDepth;
}

bool CRecursiveTimedMutex::try_lock() {
    return TryLockFor(std::chrono::milliseconds(0));
}

bool CRecursiveTimedMutex::TryLockFor(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    const std::thread::id self = std::this_thread::get_id();
    if (m_owner != self) {
        if (!m_cvFree.wait_for(lock, timeout, [this] { return m_nDepth == 0; })) {
            return false;
        }
        m_owner = self;
    }
    ++m_nDepth;
    return true;
}

void CRecursiveTimedMutex::unlock() {
    {
        std::lock_guard lock(m_mutex);
        if (m_nDepth == 0 || m_owner != std::this_thread::get_id()) {
            return; // not held by this thread: nothing to release
        }
        if (--m_nDepth > 0) {
            return;
        }
        m_owner = std::thread::id();
    }
    m_cvFree.notify_one();
}
