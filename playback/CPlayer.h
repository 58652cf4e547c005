#pragma once

// The player interface: every playlist document, the loop driver, the scheduler and the
// playlist view play through the one active player, and only through this interface.
//
// Threads: the user-interface thread, the loop driver and the scheduler call a player at
// the same time. The mix values and the reference count are atomics, written by the
// user-interface thread and read by all; each back end says how it guards the rest.

#include <atomic>
#include <cstdint>
#include <string>

class CPlayer {
public:
    // Modes answered by GetMode.
    static constexpr std::int32_t kModeStopped = 0;
    static constexpr std::int32_t kModePlaying = 1;
    static constexpr std::int32_t kModePaused = 3;
    // The value callers pass for the trailing arguments no back end reads.
    static constexpr std::int32_t kIgnored = -1;

    CPlayer() = default;
    CPlayer(const CPlayer&) = delete;
    CPlayer& operator=(const CPlayer&) = delete;
    virtual ~CPlayer();

    // The operations in their slot order. Those with a trailing ignored argument are
    // called with -1. Results are true for success unless said otherwise. Any thread.
    virtual void SetMixEnabled(bool bEnabled);
    virtual bool IsMixEnabled() const;
    virtual void SetMixSeconds(std::int32_t nSeconds);
    virtual std::int32_t GetMixSeconds() const;
    virtual std::int32_t GetMixSpeed() const;
    virtual void SetMixSpeed(std::int32_t nSpeed);
    virtual void SetMixType(std::int32_t nType);
    virtual std::int32_t GetMixType() const;
    // Fades fitted to the overlap and rendered by the mixing engine (not in the slot
    // order; a back end without an engine ignores it).
    void SetFitFades(bool bFit) { m_bFitFades.store(bFit); }
    bool GetFitFades() const { return m_bFitFades.load(); }
    virtual bool Stop(std::int32_t nIgnored = kIgnored) = 0;
    virtual bool FadeStop(std::int32_t nIgnored = kIgnored) = 0;
    virtual bool FadeStopWait(std::int32_t nIgnored = kIgnored) = 0;
    virtual bool PauseResume(std::int32_t nIgnored = kIgnored) = 0;
    virtual bool Enqueue(const std::string& path) = 0;
    virtual bool IsAvailable(std::int32_t nIgnored = kIgnored) = 0;
    // With raw false, "active" ends mix seconds before the song's end while mixing.
    virtual bool IsActive(bool bRaw, std::int32_t nIgnored = kIgnored) = 0;
    // Attenuation 0 is full volume, 1000 silence.
    virtual bool SetVolume(std::int32_t nIgnored, std::int32_t nAttenuation) = 0;
    virtual bool VolumeDown(std::int32_t nIgnored = kIgnored) = 0;
    virtual bool VolumeUp(std::int32_t nIgnored = kIgnored) = 0;
    virtual bool GetVersion(std::int32_t& nVersion) = 0;
    virtual bool GetLength(std::int32_t& nSeconds, std::int32_t nIgnored = kIgnored) = 0;
    virtual bool GetPosition(std::int32_t& nSeconds, std::int32_t nIgnored = kIgnored) = 0;
    virtual bool PlayFrom(std::int32_t nSeconds, std::int32_t nIgnored = kIgnored) = 0;
    virtual bool GetTitle(std::string& title) = 0;
    // 0 stopped, 1 playing, 3 paused.
    virtual std::int32_t GetMode(bool bRaw, std::int32_t nIgnored = kIgnored) = 0;
    virtual bool IsConnected(std::int32_t nIgnored = kIgnored) = 0;
    virtual bool Skip() = 0;
    virtual bool FadeSkip() = 0;
    virtual bool GetStatusText(std::string& text) = 0;
    // Counts a closed playlist document off; answers the new count, or what ending the
    // back end's resources answered when the count reached 0.
    virtual std::int32_t Release() = 0;
    // Counts an open playlist document; answers the new count.
    virtual std::int32_t AddRef();
    // Counts one off without anything else; answers the new count.
    virtual std::int32_t DecRef();
    virtual bool Play(const std::string& path, std::int32_t nIgnored = kIgnored) = 0;
    virtual bool Connect(std::int32_t nIndex, bool bStart) = 0;

protected:
    // The status text of both back ends from GetTitle, GetMode (raw), GetPosition and
    // GetLength: "Stopped", or the state word, the remaining and total time and the title,
    // as in "Playing 2:05/3:41 [song.mp3]". Always true.
    bool ComposeStatusText(std::string& text);

    std::atomic<bool> m_bMixEnabled{false};
    // Seconds before a song's end at which a mixed song counts as finished.
    std::atomic<std::int32_t> m_nMixSeconds{20};
    std::atomic<std::int32_t> m_nMixSpeed{10};
    std::atomic<std::int32_t> m_nMixType{0};
    std::atomic<bool> m_bFitFades{false};
    std::atomic<std::int32_t> m_nRefCount{0};
};
