#pragma once

// Threads: the thread that owns the media-control context calls every operation.
// GStreamer runs its own streaming threads inside the pipeline; the only code of ours
// they run is the bus filter (it decides on a message's type, touching nothing) and the
// volume ramp's pad probe (it stores one atomic). End of stream and errors are read by
// the owner thread from the bus whenever it asks for the state; there is no main loop.

#include "platform/gst/CGstVolumeRamp.h"
#include "platform/mci/IAudioDevice.h"

#include <cstdint>
#include <string>

typedef struct _GstElement GstElement;
typedef struct _GstBus GstBus;

// The GStreamer device: one playbin for the media it holds, its audio going through a
// volume element (driven by CGstVolumeRamp) into the sink $MIXOREL_AUDIO_SINK names
// (autoaudiosink by default). Opening waits, bounded, until the media is prerolled;
// playing from a held state re-prerolls first, so a sink that was kept waiting does not
// start late. Every way out (close, destructor, a failed open, an error while playing)
// sets the pipeline to NULL, which lets go of the file and the sound device.
class CGstAudioDevice final : public IAudioDevice {
public:
    static constexpr std::int64_t kOpenTimeoutMs = 5000;
    static constexpr std::int64_t kStateTimeoutMs = 3000;

    CGstAudioDevice() = default;
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

    const CGstVolumeRamp& Ramp() const { return m_ramp; }

private:
    std::uint32_t Load(const std::string& uri, bool cd);
    std::uint32_t Build(const std::string& uri);
    std::uint32_t Preroll(std::int64_t timeoutMs);
    std::uint32_t WaitForState(std::int64_t timeoutMs);
    std::uint32_t Seek(std::int64_t fromMs, std::int64_t toMs);
    std::uint32_t Release(std::uint32_t error);
    void ReleasePipeline();
    void PollBus();
    std::int64_t QueryPositionNs();
    void WaitForGlide();
    // The longest a stop waits for a volume glide to be heard.
    static constexpr int kGlideWaitMs = 600;

    GstElement* m_pPipeline = nullptr;
    GstBus* m_pBus = nullptr;
    CGstVolumeRamp m_ramp;
    bool m_bCd = false;
    bool m_bCdDrive = false;
    int m_nTrack = 0;
    // Played since the last preroll; false means the next play prerolls again.
    bool m_bStarted = false;
    EAudioMode m_eMode = EAudioMode::kStopped;
    bool m_bEnded = false;
    std::int64_t m_nToMs = -1;
    // The position while stopped (and where a play without "from" goes on).
    std::int64_t m_nHeldPositionMs = 0;
};
