#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

// An event that stays signalled until it is reset and releases every waiter while it is;
// the processing thread's start and die signals are made of it.
//
// Threads: any thread may call every operation; one internal mutex guards the state and
// is never held while calling out.
class CDocEvent {
public:
    void Set();
    void Reset();
    bool IsSet() const;
    // Waits without time limit until the event is signalled.
    void Wait() const;
    // Waits at most timeout; true when the event is signalled.
    bool Wait(std::chrono::milliseconds timeout) const;

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_cvSet;
    bool m_bSet = false;
};
