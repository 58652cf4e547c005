#pragma once

#include "playback/ISleeper.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

// The fade steps' sleeper for tests. It records every pause asked for and runs it in
// accelerated time (the asked duration divided by the speed-up). Closed, it holds each
// pause until the test lets it pass, so a test can act between two fade steps; every
// hold ends after 5 s at most.
// Threads: workers sleep on it while the test reads and releases it; one mutex guards it.
class TestSleeper : public ISleeper {
public:
    explicit TestSleeper(int nSpeedUp = 100) : m_nSpeedUp(nSpeedUp) {}

    void Sleep(std::chrono::milliseconds duration) override;

    // Holds every later pause until Release (or Open).
    void Close();
    // Lets count held pauses pass.
    void Release(int nCount = 1);
    // Lets every pause pass from now on.
    void Open();
    // Waits at most timeout until count pauses have begun (held or not).
    bool WaitForSleeps(std::size_t nCount, std::chrono::milliseconds timeout) const;

    std::vector<std::chrono::milliseconds> Sleeps() const;
    std::chrono::milliseconds Total() const;

private:
    const int m_nSpeedUp;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_cvChanged;
    std::vector<std::chrono::milliseconds> m_sleeps;
    bool m_bClosed = false;
    int m_nPermits = 0;
};
