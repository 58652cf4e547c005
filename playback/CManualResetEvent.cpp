#include "CManualResetEvent.h"

void CManualResetEvent::Set() {
    {
        std::lock_guard lock(m_mutex);
        m_bSet = true;
    }
    m_cvSet.notify_all();
}

void CManualResetEvent::Reset() {
    std::lock_guard lock(m_mutex);
    m_bSet = false;
}

bool CManualResetEvent::IsSet() const {
    std::lock_guard lock(m_mutex);
    return m_bSet;
}

bool CManualResetEvent::Wait(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_mutex);
    return m_cvSet.wait_for(lock, timeout, [this] { return m_bSet; });
}
