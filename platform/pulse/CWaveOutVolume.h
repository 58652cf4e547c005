#pragma once

// The system volume that a playlist window's volume bar follows: the volume of the sound
// server's default sink (PulseAudio, or PipeWire's pulse server), read and set through
// libpulse. Changes made elsewhere (pactl, the desktop's volume applet, another program)
// arrive through a subscription and are handed to the change callback.
//
// Threads: construction, the getters and SetVolume belong to the caller's thread (the
// user-interface thread); the change callback runs on libpulse's own loop thread, so a
// window forwards it to its own thread (a queued call) before touching widgets.

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

struct pa_threaded_mainloop;
struct pa_context;
struct pa_sink_info;

class CWaveOutVolume {
public:
    // volume, parameter
    using Callback = std::function<void(std::int32_t, std::uint32_t)>;
    static constexpr int kConnectTimeoutMs = 2000;

    // Connects to the sound server and reads the default sink; on any failure the object
    // stays closed (IsOpened false) and every getter answers -1.
    CWaveOutVolume();
    virtual ~CWaveOutVolume();
    CWaveOutVolume(const CWaveOutVolume&) = delete;
    CWaveOutVolume& operator=(const CWaveOutVolume&) = delete;

    bool IsOpened() const { return m_bOpened; }
    virtual bool HasVolume() const;
    // Enable un-mutes the sink, Disable mutes it.
    virtual bool Enable();
    virtual bool Disable();
    virtual std::int32_t GetSteps() const;
    virtual std::int32_t GetMin() const;
    virtual std::int32_t GetMax() const;
    // The first channel's volume of the default sink; -1 without a volume or on failure.
    virtual std::int32_t GetVolume() const;
    // Sets every channel to v when min <= v <= max; anything else changes nothing.
    virtual void SetVolume(std::int32_t v);
    virtual void SetCallback(Callback callback, std::uint32_t parameter);

private:
    bool Open();
    bool ReadLine();
    bool SetMute(bool mute);
    void OnSinkInfo(const pa_sink_info& info);
    void Close();

    static void ContextStateCallback(pa_context* context, void* self);
    void OnSubscription(int eventType, std::uint32_t index);

    pa_threaded_mainloop* m_pLoop = nullptr;
    pa_context* m_pContext = nullptr;
    bool m_bOpened = false;
    bool m_bReady = false;
    bool m_bHasVolume = false;
    // The default sink as last read; under the loop lock.
    std::string m_strSink;
    std::uint32_t m_nSinkIndex = 0;
    std::uint32_t m_nChannels = 0;
    std::int32_t m_nMin = -1;
    std::int32_t m_nMax = -1;
    std::int32_t m_nSteps = -1;
    std::int32_t m_nLastVolume = -1;

    mutable std::mutex m_callbackMutex;
    Callback m_callback;
    std::uint32_t m_nCallbackParameter = 0;
};
