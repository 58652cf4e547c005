#pragma once

// Threads: the thread that owns the media-control context calls every operation.
// GStreamer decodes on its own streaming threads into the branch's appsink; the only
// code of ours they run is the bus filter and the pad link of the decoder (neither
// touches anything of ours). The engine's mixer thread pulls from the branch under the
// branch's own lock (CGstMixBranch). Errors are read by the owner thread from the bus
// whenever it asks for the state; there is no main loop.

#include "platform/mci/IAudioDevice.h"

#include <cstdint>
#include <memory>
#include <string>

typedef struct _GstElement GstElement;
typedef struct _GstBus GstBus;
class CGstMixBranch;

// The GStreamer device: one song decoded by a small pipeline of its own (uridecodebin,
// audioconvert, audioresample to the engine's format, appsink) and played as a branch of
// the process's mixing engine (CGstMixEngine), which sums every song into one output.
// Opening waits, bounded, until the decoder has its first samples ready, so a start costs
// no open time; the decoder then works ahead and waits while the engine does not pull.
// Pause, stop and seek are the branch's; the gain is a curve in engine time. Every way
// out (close, destructor, a failed open) takes the branch out of the engine and sets the
// pipeline to NULL, which lets go of the file.
class CGstAudioDevice final : public IAudioDevice {
public:
    static constexpr std::int64_t kOpenTimeoutMs = 5000;
    static constexpr std::int64_t kStateTimeoutMs = 3000;
    // A branch that has had nothing to give for this long while playing has failed.
    static constexpr std::int64_t kStallLimitMs = 5000;
    // A volume change glides over this long.
    static constexpr std::int64_t kGlideMs = 5;

    CGstAudioDevice();
    ~CGstAudioDevice() override;
    CGstAudioDevice(const CGstAudioDevice&) = delete;
    CGstAudioDevice& operator=(const CGstAudioDevice&) = delete;

    std::uint32_t OpenFile(const std::string& path) override;
    std::uint32_t OpenCdDrive() override;
    std::uint32_t OpenCdTrack(int track) override;
    std::int64_t CdTrackLengthMs(int track) override;
    std::uint32_t Play(std::int64_t fromMs, std::int64_t toMs) override;
    std::uint32_t Pause() override;
    std::uint32_t Resume() override;
    std::uint32_t Stop() override;
    void Close() override;
    void SetGain(double gain) override;
    EAudioMode Mode() override;
    std::int64_t DurationMs() override;
    std::int64_t PositionMs() override;
    bool ReachedEnd() override;
    std::string ProductName() const override { return "Mixorel GStreamer audio"; }

    void SetTrimDb(double dB) override;
    std::int64_t EngineClockMs() override;
    std::int64_t EngineTimeOfPositionMs(std::int64_t atMs) override;
    std::uint32_t PlayAt(std::int64_t fromMs, std::int64_t toMs, std::int64_t atMs) override;
    std::uint32_t StopAt(std::int64_t atMs) override;
    bool SetGainCurve(const std::vector<SGainPoint>& points, bool bScaled) override;
    bool OutputWaiting() override;

private:
    std::uint32_t Load(const std::string& uri, bool cd);
    std::uint32_t Build(const std::string& uri);
    std::uint32_t WaitForState(std::int64_t timeoutMs);
    std::uint32_t Seek(std::int64_t fromMs);
    std::uint32_t Start(std::int64_t fromMs, std::int64_t toMs, std::int64_t atFrame);
    // Halts the branch now (pause or stop) and waits, bounded, until it is silent.
    void HaltNow(bool bPause);
    std::uint32_t Release(std::uint32_t error);
    void ReleasePipeline();
    // Takes errors off the bus and what the mixer did (end, "to" reached, a stall).
    void Poll();

    GstElement* m_pPipeline = nullptr;
    GstBus* m_pBus = nullptr;
    std::unique_ptr<CGstMixBranch> m_pBranch;
    bool m_bRegistered = false;
    bool m_bCd = false;
    bool m_bCdDrive = false;
    int m_nTrack = 0;
    EAudioMode m_eMode = EAudioMode::kStopped;
    bool m_bEnded = false;
    std::int64_t m_nToMs = -1;
    double m_dGain = 1.0;
};
