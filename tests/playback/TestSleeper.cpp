#include "TestSleeper.h"

#include <numeric>
#include <thread>

void TestSleeper::Sleep(std::chrono::milliseconds duration) {
    std::unique_lock lock(m_mutex);
    m_sleeps.push_back(duration);
    m_cvChanged.notify_all();
    if (m_bClosed) {
        m_cvChanged.wait_for(lock, std::chrono::seconds(5),
                             [this] { return !m_bClosed || m_nPermits > 0; });
        if (m_nPermits > 0) {
            --m_nPermits;
        }
        return;
    }
    lock.unlock();
    std::this_thread::sleep_for(duration / m_nSpeedUp);
}

void TestSleeper::Close() {
    std::lock_guard lock(m_mutex);
    m_bClosed = true;
    m_nPermits = 0;
}

void TestSleeper::Release(int nCount) {
    {
        std::lock_guard lock(m_mutex);
        m_nPermits += nCount;
    }
    m_cvChanged.notify_all();
}

void TestSleeper::Open() {
    {
        std::lock_guard lock(m_mutex);
        m_bClosed = false;
    }
    m_cvChanged.notify_all();
}

bool TestSleeper::WaitForSleeps(std::size_t nCount, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_mutex);
    return m_cvChanged.wait_for(lock, timeout, [&] { return m_sleeps.size() >= nCount; });
}

std::vector<std::chrono::milliseconds> TestSleeper::Sleeps() const {
    std::lock_guard lock(m_mutex);
    return m_sleeps;
}

std::chrono::milliseconds TestSleeper::Total() const {
    std::lock_guard lock(m_mutex);
    return std::accumulate(m_sleeps.begin(), m_sleeps.end(), std::chrono::milliseconds(0));
}
