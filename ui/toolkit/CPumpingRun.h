#pragma once

#include <functional>

// A run on the user-interface thread that lets pending events through while it works: a
// folder import, a migrate, the auto-tagger, a tag save over several songs. Events may
// ask the program to close (SIGTERM, logout, the tray's Exit); a close that went on at
// once would destroy the playlist under the run. So the close asks every run to cancel
// and goes on only once the last one has ended and its caller has returned to the main
// event loop. User-interface thread only.
class CPumpingRun {
public:
    CPumpingRun();
    ~CPumpingRun();
    CPumpingRun(const CPumpingRun&) = delete;
    CPumpingRun& operator=(const CPumpingRun&) = delete;

    // True once a close has asked the runs to end: the run stops before its next item.
    bool IsCancelled() const { return m_bCancelled; }

    static bool AnyRunning();
    // Cancels every run, and calls then from the main event loop once none is left (and
    // no modal window is open above it). A later call replaces an earlier then.
    static void CancelAllThen(std::function<void()> then);

private:
    bool m_bCancelled = false;
};
