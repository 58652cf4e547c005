#include "CDocEvent.h"

void CDocEvent::Set() {
    {
        std::lock_guard lock(m_mutex);
        m_bSet = true;
    }
    m_cvSet.notify_all();
}

void CDocEvent::Reset() {
    std::lock_guard lock(m_mutex);
    m_bSet = false;
}

bool CDocEvent::IsSet() const {
    std::lock_guard lock(m_mutex);
    return m_bSet;
}

void CDocEvent::Wait() const {
    std::unique_lock lock(m_mutex);
    m_cvSet.wait(lock, [this] { return m_bSet; });
}

bool CDocEvent::Wait(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_mutex);
    return m_cvSet.wait_for(lock, timeout, [this] { return m_bSet; });
}
