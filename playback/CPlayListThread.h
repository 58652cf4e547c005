#pragma once

#include "CManualResetEvent.h"
#include "CMessageQueue.h"
#include "ILoopClock.h"

#include "catalogue/ILoopRunner.h"
#include "settings/CSettings.h"

#include <chrono>
#include <cstdint>
#include <thread>

class CMixorel2001Doc;

// The loop driver: plays a document's songs one after the other without end, starting the
// next when the player reports the current one finished (mix seconds early when mixing,
// which makes the start a cross-fade). It only decides when; the document keeps the loop
// position and starts songs through its player link. One driver runs in the process: a
// new one registers its token and the previous one ends at its next check.
//
// Threads: Start runs the body on its own thread; RequestStop and WaitEnded may be called
// from any thread. The destructor waits for the thread.
class CPlayListThread final : public ILoopRunner {
public:
    static constexpr std::chrono::milliseconds kPlayingPoll{100};
    static constexpr std::chrono::milliseconds kAfterStart{250};
    static constexpr std::chrono::milliseconds kInitialPass{200};
    static constexpr std::chrono::milliseconds kHeldPoll{30};
    static constexpr std::chrono::milliseconds kRegisterPoll{10};

    CPlayListThread(CMixorel2001Doc& doc, std::uint32_t token, ILoopClock& clock,
                    CSettings settings);
    ~CPlayListThread() override;
    CPlayListThread(const CPlayListThread&) = delete;
    CPlayListThread& operator=(const CPlayListThread&) = delete;

    bool Start();
    void RequestStop() override;
    bool WaitEnded(std::chrono::milliseconds timeout) override;

private:
    enum HoldResult { kGoOn, kStopped };

    void Run();
    void Register();
    void Unregister();
    HoldResult WaitWhileHeld();
    bool PlayNextThroughHold();
    // Handles one waiting message; true when it was the quit message.
    bool QuitArrived();
    bool Playing();
    bool WaitForEarlierSong();
    void PlayUntilTheEnd();
    void EndSteps();

    CMixorel2001Doc& m_doc;
    std::uint32_t m_nToken;
    std::uint32_t m_nRegisteredToken = 0;
    ILoopClock& m_clock;
    CSettings m_settings;
    // Starts in a row that played nothing (driver thread only).
    int m_nMisses = 0;
    CMessageQueue m_queue;
    CManualResetEvent m_evEnded;
    std::thread m_thread;
};
