#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

// An event that stays signalled until it is reset, and releases every waiter while it is.
//
// Threads: any thread may call every operation; one internal mutex guards the state.
class CManualResetEvent {
public:
    void Set();
    void Reset();
    bool IsSet() const;
    // Waits at most timeout for the event; true when it is signalled.
    bool Wait(std::chrono::milliseconds timeout) const;

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_cvSet;
    bool m_bSet = false;
};
