#pragma once

#include "playback/ISleeper.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

// The fade steps' sleeper for tests. It records every pause asked for and runs it in
// accelerated time (the asked duration divided by the speed-up). Closed, it holds each
// pause until the test lets it pass, so a test can act between two fade steps; every
// hold ends after 5 s at most.
// Threads: workers sleep on it while the test reads and releases it; one mutex guards it.
class TestSleeper : public ISleeper {
public:
    explicit TestSleeper(int nSpeedUp = 100) : m_nSpeedUp(nSpeedUp) {}

    void Sleep(std::chrono::milliseconds duration) override {
        std::unique_lock lock(m_mutex);
        m_sleeps.push_back(duration);
        m_cvChanged.notify_all();
        if (m_bClosed) {
            m_cvChanged.wait_for(lock, std::chrono::seconds(5),
                                 [this] { return !m_bClosed || m_nPermits > 0; });
            m_nPermits -= m_nPermits > 0 ? 1 : 0;
            return;
        }
        lock.unlock();
        std::this_thread::sleep_for(duration / m_nSpeedUp);
    }

    // Holds every later pause until Release (or Open).
    void Close() {
        std::lock_guard lock(m_mutex);
        m_bClosed = true;
        m_nPermits = 0;
    }
    // Lets count held pauses pass.
    void Release(int nCount = 1) {
        Change([&] { m_nPermits += nCount; });
    }
    // Lets every pause pass from now on.
    void Open() {
        Change([&] { m_bClosed = false; });
    }
    // Waits at most timeout until count pauses have begun (held or not).
    bool WaitForSleeps(std::size_t nCount, std::chrono::milliseconds timeout) const {
        std::unique_lock lock(m_mutex);
        return m_cvChanged.wait_for(lock, timeout, [&] { return m_sleeps.size() >= nCount; });
    }

    std::vector<std::chrono::milliseconds> Sleeps() const {
        std::lock_guard lock(m_mutex);
        return m_sleeps;
    }

private:
    template <typename F> void Change(F f) {
        {
            std::lock_guard lock(m_mutex);
            f();
        }
        m_cvChanged.notify_all();
    }

    const int m_nSpeedUp;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_cvChanged;
    std::vector<std::chrono::milliseconds> m_sleeps;
    bool m_bClosed = false;
    int m_nPermits = 0;
};
