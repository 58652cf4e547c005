#pragma once

// The fader worker: one thread per song started by the media-control player.
//
// Threads and ownership:
// - The worker's own thread runs the message loop. It creates, uses and destroys the
//   worker's media-control context (where the alias "mpeg" is private), so it is the only
//   thread that sends command strings for its device, and it runs the volume ramps.
// - Senders (the threads that call CMCIPlayer: user interface, loop driver, scheduler)
//   open an exchange, write the command, post "MCICOMMAND", wait for the reply event and
//   close the exchange. The player's lock serialises them before they get here.
// - The worker's thread holds a shared pointer to its own object until it has ended; the
//   player holds another while it uses the worker, so neither side frees the other's data.
// Locks, in order: the player's lock (outside this class), the exchange lock (held by a
// sender for one whole exchange, timed), the data mutex (guards the exchange fields for a
// moment; never held while waiting or sending). The live-worker mutex is taken alone.
// Flags read without a lock (busy, level, mix speed and type) are atomics.

#include "CManualResetEvent.h"
#include "CMessageQueue.h"
#include "CRecursiveTimedMutex.h"
#include "PlaybackEnvironment.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

class IMciContext;

class CMCIThread {
public:
    // The message that asks the worker to carry out the command placed in it; its
    // parameter is the number of the exchange that placed it.
    static constexpr std::uint32_t kMciCommand = 0xC001;
    // Posted by a sender that closes its exchange while the worker waits to end.
    static constexpr std::uint32_t kExchangeClosed = 0xC002;
    // The step period at speed s is 1050 - 50 x s milliseconds (speed taken as 1 to 20).
    static std::chrono::milliseconds StepPeriod(std::int32_t nMixSpeed);
    // Started and not yet ended workers in the process. Any thread.
    static std::int32_t LiveWorkers();

    // Starts a worker thread and waits (at most 5 s) until its start steps have run. Null
    // when the thread could not be made or its start failed; such a thread ends at once.
    // Any thread.
    static std::shared_ptr<CMCIThread> Create(const PlaybackEnvironment& environment);

    CMCIThread(const CMCIThread&) = delete;
    CMCIThread& operator=(const CMCIThread&) = delete;
    ~CMCIThread();

    // One command exchange, called in this order by one sender thread (never the
    // worker's own): open, post the command, wait for the reply, close.
    bool BeginExchange();
    // Copies the player's mix values and the command into the worker and posts
    // "MCICOMMAND"; false when the worker no longer takes messages.
    bool PostCommand(std::string_view command, std::int32_t nMixSpeed, std::int32_t nMixType);
    // Waits at most timeout for the reply event; on time-out the reply is empty, the
    // error 0, and the result false.
    bool WaitReply(std::chrono::milliseconds timeout, std::string& reply, std::uint32_t& nError);
    void EndExchange();

    // True while a ramp runs. Any thread.
    bool IsBusy() const { return m_bBusy.load(); }
    // True until the worker's thread has gone through its end steps. Any thread.
    bool IsAlive() const { return !m_evEnded.IsSet(); }
    // Waits at most timeout for the worker's thread to end; true when it has. Any thread.
    bool WaitEnded(std::chrono::milliseconds timeout) const { return m_evEnded.Wait(timeout); }
    // Posts the thread-quit message; false when the worker no longer takes messages.
    // Any thread.
    bool PostQuit() { return m_queue.PostQuit(); }
    // The volume the last fade-in reached (a plain start counts as full volume). Any thread.
    std::int32_t GetLevel() const { return m_nLevel.load(); }
    void SetLevel(std::int32_t nLevel) { m_nLevel.store(nLevel); }

private:
    // How a ramp ended.
    enum class RampEnd { kDone, kLeft, kQuit };

    explicit CMCIThread(const PlaybackEnvironment& environment);

    // Worker thread only, from here on.
    static void ThreadEntry(std::shared_ptr<CMCIThread> self);
    bool InitInstance();
    void Run();
    void ExitInstance();
    void WaitForOpenExchange();

    // Handles one "MCICOMMAND"; kQuit when the thread must end.
    RampEnd OnMciCommand(std::uint64_t nSerial);
    // Sends the command to the device and hands the reply to the sender of exchange nSerial.
    void CarryOut(std::uint64_t nSerial, const std::string& command);
    // Answers exchange nSerial with a reply of the worker's own; busy is set first when
    // bBusy is true, so the sender sees the ramp as soon as it goes on.
    void Answer(std::uint64_t nSerial, const std::string& reply, std::uint32_t nError, bool bBusy);
    // The command of exchange nSerial; false when that exchange is over.
    bool CommandOf(std::uint64_t nSerial, std::string& command) const;

    // nFadeOut: the exchange of a fade-out taken out of the queue that ended the ramp.
    RampEnd FadeIn(const std::string& alias, std::uint64_t& nFadeOut);
    RampEnd FadeOut(const std::string& alias, bool bClose);
    // "endwhenstopped ALIAS": serves commands until the song has stopped, then kQuit.
    RampEnd EndWhenStopped(const std::string& alias);
    // Serves one message taken out during a ramp; bClose (fade-out only) is raised by a
    // "fadekill" that arrives while the song already fades out.
    void ServeInRamp(const ThreadMessage& message, bool* pbClose);
    bool CommandAsksFadeOut() const;
    bool IsFadeOutCommand(std::uint64_t nSerial) const;
    void SetVolume(const std::string& alias, std::int32_t nLevel);
    void Send(const std::string& command);
    void SleepStep();

    // Exchange state, in the order of the design.
    CRecursiveTimedMutex m_exchangeLock;
    std::string m_strReply;
    std::string m_strCommand;
    CManualResetEvent m_evReply;
    std::uint32_t m_nError = 0;
    std::atomic<std::int32_t> m_nMixSpeed{20};
    std::atomic<std::int32_t> m_nMixType{-1};
    std::atomic<bool> m_bBusy{false};
    bool m_bExchangeOpen = false;
    std::atomic<std::int32_t> m_nLevel{0};

    // Guards reply, command, error, exchange open, the serial number, ready and closing.
    mutable std::mutex m_dataMutex;
    // Number of the current exchange; a message of an earlier one is stale and dropped.
    std::uint64_t m_nSerial = 0;
    // The reply event exists (the start went well) and the worker is not leaving.
    bool m_bEventReady = false;
    bool m_bClosing = false;

    PlaybackEnvironment m_environment;
    CMessageQueue m_queue;
    std::unique_ptr<IMciContext> m_pContext; // worker thread only
    CManualResetEvent m_evStarted;
    std::atomic<bool> m_bStartOk{false};
    CManualResetEvent m_evEnded;
};
