#pragma once

#include "platform/mci/CSimulatedDeviceHost.h"
#include "platform/mci/IAudioDevice.h"

#include <memory>
#include <string>

// A device that plays nothing: its position follows the host's clock while it plays,
// it stops by itself at the end of the media (or at a "to" position), and every
// operation and gain goes into the host's journal.
class CSimulatedAudioDevice final : public IAudioDevice {
public:
    explicit CSimulatedAudioDevice(std::shared_ptr<CSimulatedDeviceHost> host);
    ~CSimulatedAudioDevice() override;

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
    std::string ProductName() const override { return "Mixorel simulated audio"; }

    double Gain() const { return m_dGain; }

private:
    // Moves the position on to the clock; stops at the end.
    void Advance();
    void Load(std::int64_t lengthMs, bool knowsLength);

    std::shared_ptr<CSimulatedDeviceHost> m_pHost;
    int m_nId = 0;
    bool m_bLoaded = false;
    bool m_bCdDrive = false;
    std::int64_t m_nLengthMs = 0;
    bool m_bKnowsLength = true;
    EAudioMode m_eMode = EAudioMode::kStopped;
    std::int64_t m_nPositionMs = 0;
    std::int64_t m_nClockAtMs = 0;
    std::int64_t m_nToMs = -1;
    bool m_bEnded = false;
    double m_dGain = 1.0;
};
