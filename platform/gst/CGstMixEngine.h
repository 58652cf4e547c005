#pragma once

// Threads: one mixer thread of the engine's own runs the loop: it mixes the registered
// branches, hands each block to the taps and pushes it into the output pipeline; it
// alone builds, watches and drops the output. Devices (their owner threads) register
// and unregister branches and read the clock; any thread adds and removes taps.
// Locks: the branch list mutex (held by the mixer over one block, by Register and
// Unregister for a moment), then a branch's own mutex; the tap mutex alone. The
// wake-up mutex only pairs with its condition variable.

#include "platform/gst/IMixTap.h"

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CGstMixBranch;
typedef struct _GstElement GstElement;
typedef struct _GstBus GstBus;
typedef struct _GstBufferPool GstBufferPool;

// The one mixing engine of the process: every song plays as a branch of it, and one
// output pipeline (appsrc, the sink $MIXOREL_AUDIO_SINK names) carries the sum. The
// engine's clock counts mixed frames; a branch is started, stopped and faded at frames
// of that clock, so what is scheduled is heard exactly where it was placed.
//
// When the output fails (the sound server went away) the engine holds every branch where
// it is (its clock stands still), hands silence to the taps at real-time pace, and builds
// the output again every kRetry until it plays.
class CGstMixEngine {
public:
    static constexpr int kRate = IMixTap::kRate;
    static constexpr int kChannels = IMixTap::kChannels;
    static constexpr std::size_t kBlockFrames = 480; // 10 ms
    static constexpr std::size_t kMaxBranches = 32;
    static constexpr std::chrono::milliseconds kRetry{700};
    // The output is let go after this long with no branch and no tap.
    static constexpr std::chrono::milliseconds kIdleLinger{1500};
    // How long a registration waits for the output it asked to be built anew.
    static constexpr std::chrono::milliseconds kRebuildWait{1000};

    // The engine, started on first use (never destroyed). Any thread.
    static CGstMixEngine& Instance();
    static void AddTap(std::shared_ptr<IMixTap> pTap);
    static void RemoveTap(const std::shared_ptr<IMixTap>& pTap);

    // The branch is mixed from the next block on; false when the engine is full. When the
    // sink the environment names changed since the output was built, it is built anew.
    bool Register(CGstMixBranch* pBranch);
    // After it returns the mixer no longer touches the branch.
    void Unregister(CGstMixBranch* pBranch);
    // The engine frame of the next block to be mixed.
    std::int64_t ClockFrames() const { return m_nClock.load(); }
    // True while the output is lost and the engine waits to build it again.
    bool OutputWaiting() const { return m_bWaiting.load(); }

    static std::int64_t FramesToMs(std::int64_t frames) { return frames * 1000 / kRate; }
    static std::int64_t MsToFrames(std::int64_t ms) { return ms * kRate / 1000; }

private:
    CGstMixEngine();

    void Run();
    bool Idle();
    bool BuildOutput();
    void DropOutput();
    // False when the output reported an error.
    bool OutputHealthy();
    // Waits until the output queue has room for a block; false when the output failed.
    bool WaitForRoom();
    void MixBlock();
    void HandToTaps(const float* samples);
    void Push();
    void PaceSilence();

    std::thread m_thread;
    std::mutex m_branchMutex;
    std::array<CGstMixBranch*, kMaxBranches> m_branches{};
    std::size_t m_nBranches = 0;
    std::string m_strWantedSink;

    std::mutex m_tapMutex;
    std::vector<std::shared_ptr<IMixTap>> m_taps;
    std::atomic<bool> m_bHasTaps{false};

    std::mutex m_wakeMutex;
    std::condition_variable m_wake;
    bool m_bRoom = false;

    std::atomic<std::int64_t> m_nClock{0};
    std::atomic<bool> m_bWaiting{false};
    std::atomic<bool> m_bRebuild{false};
    // Outputs built (or tried) so far.
    std::atomic<int> m_nBuilds{0};

    // Mixer thread only.
    GstElement* m_pOutput = nullptr;
    GstElement* m_pSource = nullptr;
    GstBus* m_pBus = nullptr;
    GstBufferPool* m_pPool = nullptr;
    std::string m_strBuiltSink;
    std::int64_t m_nOutputFrames = 0;
    std::chrono::steady_clock::time_point m_nextRetry;
    std::chrono::steady_clock::time_point m_pace;
    std::chrono::steady_clock::time_point m_lastBusy;
    std::array<float, kBlockFrames * kChannels> m_block{};
};
