#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

// A re-entrant mutex whose waits can be bounded, as std::recursive_timed_mutex, built on
// a plain mutex and a condition variable. The library's timed mutexes wait in
// pthread_mutex_clocklock, which ThreadSanitizer does not follow, so every unlock after
// a timed lock would show as an error there; this one it follows. Meets the standard's
// TimedLockable requirements, so std::unique_lock works with it.
//
// Threads: any thread; the thread that holds it may take it again and must release it
// as many times.
class CRecursiveTimedMutex {
public:
    void lock();
    bool try_lock();
    template <typename Rep, typename Period>
    bool try_lock_for(const std::chrono::duration<Rep, Period>& timeout) {
        return TryLockFor(std::chrono::duration_cast<std::chrono::milliseconds>(timeout));
    }
    void unlock();

private:
    bool TryLockFor(std::chrono::milliseconds timeout);

    std::mutex m_mutex;
    std::condition_variable m_cvFree;
    std::thread::id m_owner;
    int m_nDepth = 0;
};
