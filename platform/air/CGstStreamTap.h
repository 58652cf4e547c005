#pragma once

#include "CGstTapPipeline.h"
#include "platform/gst/IMixTap.h"
#include "playback/CAirStatus.h"
#include "settings/CBroadcastSettings.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

// Streams the mix to an Icecast 2 mount: MP3 (lame), Ogg Vorbis or Opus in Ogg at the
// chosen bit rate, sent by shout2send. A server that goes away or refuses the password
// only stops this pipeline: the tap tries again after 2 s, then 4, 8... at most 60 s,
// and the mixer never waits for it. The title follows the song playing.
//
// Threads: OnMixBlock on the mixer thread; the tap's own thread starts, watches and
// restarts the pipeline and sends titles; Start, Stop, SetTitle and Status from any
// other thread. Lock order: m_mutex only (no other lock is taken under it).
class CGstStreamTap final : public IMixTap {
public:
    explicit CGstStreamTap(const CBroadcastSettings& settings);
    ~CGstStreamTap() override;

    bool Start(std::string& error);
    void Stop();
    void OnMixBlock(const float* samples, std::size_t frames) override;
    void SetTitle(const std::string& title);
    CAirStatus::Stream State() const { return m_state.load(); }
    int RetrySeconds() const { return m_nRetrySeconds.load(); }
    // True once after the server first refused the user and password.
    bool TakePasswordRefused() { return m_bPasswordNews.exchange(false); }
    // The title the server last took, for tests.
    std::string SentTitle() const;

private:
    static std::string Tail(const CBroadcastSettings& settings);
    void Run();
    void Attempt();
    void OnFault(struct _GstMessage* fault);
    void SendTitleIfNew();

    const CBroadcastSettings m_settings;
    CGstTapPipeline m_pipeline;
    std::atomic<CAirStatus::Stream> m_state{CAirStatus::kStreamOff};
    std::atomic<int> m_nRetrySeconds{0};
    std::atomic<bool> m_bPasswordNews{false};
    std::atomic<bool> m_bPasswordToldOnce{false};
    // Buffers that reached the sender since the last attempt: a second one means the
    // first was sent, so the connection holds.
    std::atomic<std::uint64_t> m_nSent{0};

    mutable std::mutex m_mutex; // guards the fields below
    std::condition_variable m_wake;
    bool m_bStopping = false;
    std::string m_strTitle;
    std::string m_strSentTitle;
    std::thread m_thread;
    // The tap's thread only: the title last tried and when it may be tried again.
    std::string m_strTriedTitle;
    std::chrono::steady_clock::time_point m_nextTitleTry;
};
