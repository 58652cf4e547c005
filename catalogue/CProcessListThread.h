#pragma once

// Threads: one processing thread per open playlist runs Run(). The document creates the
// object, calls CreateEvents before the thread starts and SetDie when it stops it (user-
// interface thread); the view hands over the visible range with SetRange (user-interface
// thread); SetStartProcessing is called by whichever thread changes the processing queue,
// with the document lock held.
// Locks: m_mtxRange guards m_nFirst and m_nLast, m_mtxStart the start event pointer,
// m_mtxDie the die event pointer. They are leaf locks: taken after the document lock when
// both are held, and the processing thread never holds one of them while it takes the
// document lock.

#include "CDocEvent.h"

#include <chrono>
#include <memory>
#include <mutex>
#include <thread>

class CMixorel2001Doc;
class IUserPrompt;

// The background worker of a playlist that reads the audio facts and tags of its songs:
// first the songs the view shows, then, one per pass, the songs of the processing queue.
// It sleeps on the start event while the queue is empty and ends when the die event is set.
class CProcessListThread {
public:
    static constexpr std::chrono::milliseconds kRangeLockWait{10};
    static constexpr std::chrono::milliseconds kEventLockWait{2500};
    static constexpr std::chrono::milliseconds kRangePause{2};

    // The document outlives the thread; the prompt (may be null) shows internal failures.
    // Without idlePriority the thread keeps the priority it was started with.
    CProcessListThread(CMixorel2001Doc& doc, IUserPrompt* prompt, bool idlePriority = true);
    CProcessListThread(const CProcessListThread&) = delete;
    CProcessListThread& operator=(const CProcessListThread&) = delete;

    // Before the thread starts: makes both events (clear). False when one is missing.
    bool CreateEvents();
    // Any thread: stores the range of list indices (inclusive) to serve first; false,
    // without storing, when the range lock is not had within kRangeLockWait.
    bool SetRange(int first, int last);
    // Any thread (usually with the document lock held): sets or clears the start event.
    void SetStartProcessing(bool set);
    // Any thread: sets or clears the die event; setting it also wakes the thread.
    void SetDie(bool set);
    // The processing thread's body.
    void Run();
    // Any thread: waits at most timeout for Run to have ended; true when it has.
    bool WaitEnded(std::chrono::milliseconds timeout) const;

    // Takes the lock's mutex within timeout; true when it is held. It polls try_lock
    // instead of using the library's timed waits, which ThreadSanitizer does not follow
    // (every unlock after one would show as an error there).
    template <typename Mutex>
    static bool LockWithin(std::unique_lock<Mutex>& lock, std::chrono::milliseconds timeout) {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (!lock.try_lock()) {
            if (std::chrono::steady_clock::now() >= end) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }

private:
    static void LowerPriority();
    bool IsDying() const;
    bool ReadRange(int& first, int& last);
    // False when the die event stopped it.
    bool ProcessRange(int first, int last);
    void ReleaseEvents();
    void Report(const char* text) const;

    CMixorel2001Doc* m_pDoc;
    IUserPrompt* m_pPrompt;
    bool m_bIdlePriority;
    int m_nFirst = -1;
    int m_nLast = -1;
    std::mutex m_mtxRange;
    std::mutex m_mtxStart;
    std::mutex m_mtxDie;
    // Made by CreateEvents before the thread runs and dropped by Run as it ends; other
    // threads use them only under their mutex.
    std::unique_ptr<CDocEvent> m_pStartProcessing;
    std::unique_ptr<CDocEvent> m_pDie;
    CDocEvent m_evEnded;
};
