#pragma once

#include "platform/mci/CMciCommand.h"
#include "platform/mci/CMciLengthEstimate.h"
#include "platform/mci/IAudioDevice.h"

#include <cstdint>
#include <memory>
#include <string>

// One device opened under an alias: the audio device itself, the media it holds (a file
// or the audio CD), the time format, the volumes of both sides and the length estimate.
// It carries out the verbs that act on an open device; the interpreter owns it and
// handles "open" and "close". Closing the device happens in the destructor too, so no
// way out leaves media playing.
class CMciOpenDevice {
public:
    CMciOpenDevice(std::unique_ptr<IAudioDevice> device, std::shared_ptr<const IMciClock> clock);
    ~CMciOpenDevice();
    CMciOpenDevice(const CMciOpenDevice&) = delete;
    CMciOpenDevice& operator=(const CMciOpenDevice&) = delete;

    std::uint32_t OpenFile(const std::string& path);
    std::uint32_t OpenCd();

    // play, pause, resume, stop, set, setaudio, status, info; the verb and device name
    // are already read, "wait" and "notify" already taken out.
    std::uint32_t Carry(CMciCommand& command, std::string& reply);

private:
    enum class ETimeFormat { kMilliseconds, kTmsf };
    // A time written in the current format: a CD track (0 when the format has none)
    // and an offset in ms within the track or file.
    struct STime {
        int nTrack = 0;
        std::int64_t nOffsetMs = 0;
    };

    std::uint32_t Play(CMciCommand& command);
    std::uint32_t PlayCd(bool hasFrom, const STime& from, bool hasTo, const STime& to);
    std::uint32_t Set(CMciCommand& command);
    std::uint32_t StopVerb(CMciCommand& command);
    std::uint32_t SetAudio(CMciCommand& command);
    std::uint32_t SetTrim(CMciCommand& command);
    std::uint32_t SetCurve(CMciCommand& command);
    std::uint32_t StatusClock(CMciCommand& command, std::string& reply);
    std::uint32_t Status(CMciCommand& command, std::string& reply);
    std::uint32_t StatusLength(CMciCommand& command, std::string& reply);
    std::uint32_t StatusPosition(std::string& reply);
    std::uint32_t Info(CMciCommand& command, std::string& reply);
    std::uint32_t LoadTrack(int track);

    bool ParseTime(const std::string& text, STime& time) const;
    static std::string FormatMsf(std::int64_t ms);

    std::unique_ptr<IAudioDevice> m_pDevice;
    CMciLengthEstimate m_length;
    std::string m_strElement;
    bool m_bCd = false;
    int m_nTrack = 0;
    ETimeFormat m_eTimeFormat = ETimeFormat::kMilliseconds;
    bool m_bSeekExactly = false;
    int m_nLeftVolume = 1000;
    int m_nRightVolume = 1000;
};
