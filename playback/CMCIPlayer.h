#pragma once

// The media-control player: plays files and audio CD tracks by command strings, each
// carried out by a fader worker (CMCIThread) in the worker's own media-control context.
// One worker carries one song; a mixed start makes a new worker and tells the previous one
// to fade its song out and end, so that the two songs overlap. Every start opens the new
// song before it lets go of the old one, so a song that cannot be opened fails its start
// and the song that plays goes on (a plain start over a playing song therefore opens in
// a new worker too, and the old worker is stopped and ends).
//
// Threads: the user-interface thread, the loop driver and the scheduler call the player
// at the same time; each worker runs on its own thread.
// Ownership: the player holds the current worker and weak references to the workers it
// sent away to fade out; a worker's thread keeps its own object alive until it has ended.
// Locks, in order: the player lock (re-entrant, timed; held across each command exchange,
// across a whole mixed start and across IsActive), then a worker's exchange lock. The
// state mutex guards the current worker, the path and the list of fading workers for a
// moment at a time and is never held while a command is sent.

#include "CMCIThread.h"
#include "CPlayer.h"
#include "CRecursiveTimedMutex.h"
#include "ISongCueSource.h"
#include "PlaybackEnvironment.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CMCIPlayer : public CPlayer {
public:
    // With fitted fades: "within the mix" turns this long before the mix point, so the
    // next song is open and placed before its mix point comes (longer than the loop
    // driver's poll period and a start's open time).
    static constexpr std::int64_t kMixLeadMs = 800;
    // With fitted fades, Stop fades out over this long; FadeStop over the mix time.
    static constexpr std::int64_t kStopFadeMs = 1000;

    // Shows a text of the string table to the user (number and text).
    using MessageSink = std::function<void(int nId, std::string_view text)>;

    explicit CMCIPlayer(PlaybackEnvironment environment = {});
    ~CMCIPlayer() override;

    bool Stop(std::int32_t nIgnored = kIgnored) override;
    bool FadeStop(std::int32_t nIgnored = kIgnored) override;
    bool FadeStopWait(std::int32_t nIgnored = kIgnored) override;
    bool PauseResume(std::int32_t nIgnored = kIgnored) override;
    bool Enqueue(const std::string& path) override;
    bool IsAvailable(std::int32_t nIgnored = kIgnored) override;
    bool IsActive(bool bRaw, std::int32_t nIgnored = kIgnored) override;
    bool SetVolume(std::int32_t nIgnored, std::int32_t nAttenuation) override;
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
    std::int32_t Release() override;
    bool Play(const std::string& path, std::int32_t nIgnored = kIgnored) override;
    bool Connect(std::int32_t nIndex, bool bStart) override;

    // Hands one command to a worker (the current one when none is named) and waits for
    // its reply (at most the reply limit; on time-out the reply is empty and the command
    // counts as done). A worker busy with a fade gets the command only with force. True
    // when the command was carried out without a media-control error. Any thread.
    bool SendCommand(std::string_view command, std::string& reply,
                     const std::shared_ptr<CMCIThread>& pWorker = nullptr, bool bForce = false);
    // True when the current worker's thread still runs. Any thread.
    bool IsWorkerAlive() const;
    // Ends the current worker (quit message, waits of 500 ms); false when a wait timed
    // out. Any thread.
    bool EndWorker();
    // Where PauseResume shows its message for a CD track; set before other threads use
    // the player. Without a sink the message is dropped.
    void SetMessageSink(MessageSink sink);

private:
    bool MixedStart(const std::string& path);
    // Fitted fades: the engine places the new song at its mix point and fades by curves.
    bool FittedStart(const std::string& path);
    void FittedFirstStart(const std::string& path, const std::shared_ptr<CMCIThread>& pWorker);
    void FittedMix(const std::string& path, const std::shared_ptr<CMCIThread>& pOld,
                   const std::shared_ptr<CMCIThread>& pNew);
    void FittedFadeOut(const std::shared_ptr<CMCIThread>& pWorker, std::int64_t lengthMs);
    void FadeOutAll(std::int64_t lengthMs);
    bool WithinFittedMix(const std::shared_ptr<CMCIThread>& pWorker);
    std::int64_t AskNumber(const std::string& command, const std::shared_ptr<CMCIThread>& pWorker);
    static std::optional<SongCuePoints> CuePointsOf(const std::string& path);
    bool PlainStart(const std::string& path);
    std::shared_ptr<CMCIThread> OpenBeside(const std::string& path,
                                           const std::shared_ptr<CMCIThread>& pOld);
    std::shared_ptr<CMCIThread> TakeOverFrom(const std::shared_ptr<CMCIThread>& pWorker);
    // Opens the song (file or CD drive) in the worker; false when it cannot be opened.
    bool SendOpen(const std::string& path, const std::shared_ptr<CMCIThread>& pWorker);
    // The rest of a start after the open: at full volume, or silent for a fade-in.
    void SendPlainStart(const std::string& path, const std::shared_ptr<CMCIThread>& pWorker);
    void SendSilentStart(const std::string& path, const std::shared_ptr<CMCIThread>& pWorker);
    void SendTrim(const std::string& path, const std::shared_ptr<CMCIThread>& pWorker);
    // Sends each command in turn, ignoring the results.
    void SendAll(const std::vector<std::string>& commands,
                 const std::shared_ptr<CMCIThread>& pWorker);
    bool EndWorkerOf(const std::shared_ptr<CMCIThread>& pWorker);
    void RememberFading(const std::shared_ptr<CMCIThread>& pWorker);
    void EndFadingWorkers();
    void ShowMessage(int nId, std::string_view text);

    std::shared_ptr<CMCIThread> CurrentWorker() const;
    void SetCurrentWorker(std::shared_ptr<CMCIThread> pWorker);
    std::string CurrentPath() const;
    bool IsCdTrack() const;
    // The three fields "mm:ss:ff" of a CD time as seconds (frames dropped).
    static std::int32_t CdSeconds(const std::string& reply);
    // The CD position "tt:mm:ss:ff" (track, minutes, seconds, frames) as seconds.
    static std::int32_t CdPositionSeconds(const std::string& reply);

    PlaybackEnvironment m_environment;
    mutable std::mutex m_stateMutex;
    std::string m_strPath;
    // The song that played before the last start (whose cue points the mix uses).
    std::string m_strFadingPath;
    std::shared_ptr<CMCIThread> m_pWorker;
    std::vector<std::weak_ptr<CMCIThread>> m_fadingWorkers;
    MessageSink m_messageSink;
    CRecursiveTimedMutex m_playerLock;
    // Set by Skip and FadeSkip while mixing, cleared by Play.
    std::atomic<bool> m_bStopPending{false};
};
