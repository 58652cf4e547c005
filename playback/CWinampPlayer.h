#pragma once

// The remote-player back end: instead of playing files itself, the program drives a
// separate audio player through that player's published window messages (WM_USER with
// IPC codes, WM_COMMAND with button identifiers, WM_COPYDATA, WM_CLOSE), carried by a
// remote-player link (platform/remote/IRemotePlayerLink.h). The remote player does its
// own fading; the mix values are stored here and have no effect.
//
// Threads: the user-interface thread, the loop driver and the scheduler call the player
// at the same time. Sent messages wait for the answer in the calling thread. The state
// mutex guards the held window, index, title, candidates and version for a moment at a
// time and is never held while a message is on its way.

#include "CPlayer.h"
#include "ISleeper.h"
#include "platform/remote/IRemotePlayerLink.h"

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class CWinampPlayer : public CPlayer {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // What the back end reaches outside the link: the sleeper and clock of the wait for a
    // started player (tests step both). Null members: real sleeping, the steady clock.
    struct Environment {
        std::shared_ptr<ISleeper> pSleeper;
        Clock now;
    };

    // How long Connect waits for a player it started to show its window.
    static constexpr std::chrono::seconds kStartWait{10};
    // Its pause between two looks.
    static constexpr std::chrono::milliseconds kStartPoll{100};
    // The longest caption read as a title.
    static constexpr std::size_t kMaxCaptionChars = 1023;

    explicit CWinampPlayer(std::shared_ptr<IRemotePlayerLink> pLink, Environment environment = {});
    ~CWinampPlayer() override;

    bool Stop(std::int32_t nIgnored = kIgnored) override;
    bool FadeStop(std::int32_t nIgnored = kIgnored) override;
    bool FadeStopWait(std::int32_t nIgnored = kIgnored) override;
    bool PauseResume(std::int32_t nIgnored = kIgnored) override;
    bool Enqueue(const std::string& path) override;
    bool IsAvailable(std::int32_t nIgnored = kIgnored) override;
    bool IsActive(bool bRaw, std::int32_t nIgnored = kIgnored) override;
    // The second argument is the remote player's volume, 0 to 255 (clamped).
    bool SetVolume(std::int32_t nIgnored, std::int32_t nLevel) override;
    bool VolumeDown(std::int32_t nIgnored = kIgnored) override;
    bool VolumeUp(std::int32_t nIgnored = kIgnored) override;
    bool GetVersion(std::int32_t& nVersion) override;
    bool GetLength(std::int32_t& nSeconds, std::int32_t nIgnored = kIgnored) override;
    bool GetPosition(std::int32_t& nSeconds, std::int32_t nIgnored = kIgnored) override;
    bool PlayFrom(std::int32_t nSeconds, std::int32_t nIgnored = kIgnored) override;
    bool GetTitle(std::string& title) override;
    std::int32_t GetMode(bool bRaw, std::int32_t nIgnored = kIgnored) override;
    bool IsConnected(std::int32_t nIgnored = kIgnored) override;
    bool Skip() override;
    bool FadeSkip() override;
    bool GetStatusText(std::string& text) override;
    // Asks the remote player to close when "closewinamp" is 1 (every closing document
    // does); counts the document off and answers the new count.
    std::int32_t Release() override;
    bool Play(const std::string& path, std::int32_t nIgnored = kIgnored) override;
    bool Connect(std::int32_t nIndex, bool bStart) override;

    // The held window (0 when none), the version it reported, the index of the last
    // Connect and the file name last sent. Any thread.
    RemoteWindow GetWindow() const;
    std::int32_t GetStoredVersion() const;
    std::int32_t GetIndex() const;
    std::string GetLastTitle() const;

private:
    std::int64_t SendIpc(std::int64_t nCode, std::int64_t nParam = 0);
    std::int64_t SendButton(std::int64_t nButton);
    bool PostButton(std::int64_t nButton);
    // Starts the program at "winamppath" when the settings allow and waits until its
    // window shows; false when it may not or could not be started.
    bool StartAndWait();
    // Collects every window whose class holds the message window's class and takes the
    // first; false (no window held) when there is none.
    bool TakeFirstCandidate();
    void SetWindow(RemoteWindow hWindow);
    void SetStoredVersion(std::int32_t nVersion);
    std::chrono::steady_clock::time_point Now() const;
    void Sleep(std::chrono::milliseconds duration);

    std::shared_ptr<IRemotePlayerLink> m_pLink;
    Environment m_environment;
    mutable std::mutex m_stateMutex;
    RemoteWindow m_hWinamp = 0;
    std::int32_t m_nIndex = -1;
    std::string m_strTitle;
    std::vector<RemoteWindow> m_candidates;
    std::int32_t m_nVersion = 0;
};
