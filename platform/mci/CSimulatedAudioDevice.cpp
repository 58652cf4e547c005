#include "platform/mci/CSimulatedAudioDevice.h"

#include "platform/mci/MciErrors.h"

#include <algorithm>
#include <cstdio>
#include <utility>

CSimulatedAudioDevice::CSimulatedAudioDevice(std::shared_ptr<CSimulatedDeviceHost> host)
    : m_pHost(std::move(host)), m_nId(m_pHost->NewDevice()) {}

CSimulatedAudioDevice::~CSimulatedAudioDevice() {
    Close();
}

void CSimulatedAudioDevice::Load(std::int64_t lengthMs, bool knowsLength) {
    if (!m_bLoaded) {
        m_pHost->NoteOpen(true);
    }
    m_bLoaded = true;
    m_nLengthMs = lengthMs;
    m_bKnowsLength = knowsLength;
    m_eMode = EAudioMode::kStopped;
    m_nPositionMs = 0;
    m_nToMs = -1;
    m_bEnded = false;
}

std::uint32_t CSimulatedAudioDevice::OpenFile(const std::string& path) {
    m_pHost->Record(m_nId, "open " + path);
    std::int64_t length = 0;
    bool knows = true;
    const std::uint32_t error = m_pHost->LookUpFile(path, length, knows);
    if (error != MciError::kNone) {
        Close();
        return error;
    }
    Load(length, knows);
    return MciError::kNone;
}

std::uint32_t CSimulatedAudioDevice::OpenCdDrive() {
    m_pHost->Record(m_nId, "open cdaudio");
    m_bCdDrive = true;
    return MciError::kNone;
}

std::uint32_t CSimulatedAudioDevice::OpenCdTrack(int track) {
    m_pHost->Record(m_nId, "open track " + std::to_string(track));
    const std::int64_t length = m_pHost->CdTrackLengthMs(track);
    if (length < 0) {
        return m_pHost->HasDisc() ? MciError::kOutOfRange : MciError::kDeviceNotReady;
    }
    Load(length, true);
    return MciError::kNone;
}

std::int64_t CSimulatedAudioDevice::CdTrackLengthMs(int track) {
    return m_bCdDrive ? m_pHost->CdTrackLengthMs(track) : -1;
}

std::uint32_t CSimulatedAudioDevice::Play(std::int64_t fromMs, std::int64_t toMs) {
    m_pHost->Record(m_nId, "play " + std::to_string(fromMs) + " " + std::to_string(toMs));
    if (!m_bLoaded) {
        return MciError::kDeviceNotReady;
    }
    if (fromMs > m_nLengthMs || toMs > m_nLengthMs) {
        return MciError::kOutOfRange;
    }
    Advance();
    if (fromMs >= 0) {
        m_nPositionMs = fromMs;
    } else if (m_bEnded) {
        m_nPositionMs = 0;
    }
    m_nToMs = toMs;
    m_bEnded = false;
    m_eMode = EAudioMode::kPlaying;
    m_nClockAtMs = m_pHost->Clock()->NowMs();
    Advance();
    return MciError::kNone;
}

std::uint32_t CSimulatedAudioDevice::Pause() {
    m_pHost->Record(m_nId, "pause");
    Advance();
    if (m_eMode == EAudioMode::kPlaying) {
        m_eMode = EAudioMode::kPaused;
    }
    return MciError::kNone;
}

std::uint32_t CSimulatedAudioDevice::Resume() {
    m_pHost->Record(m_nId, "resume");
    Advance();
    if (m_eMode == EAudioMode::kPaused) {
        m_eMode = EAudioMode::kPlaying;
        m_nClockAtMs = m_pHost->Clock()->NowMs();
    }
    return MciError::kNone;
}

std::uint32_t CSimulatedAudioDevice::Stop() {
    m_pHost->Record(m_nId, "stop");
    Advance();
    m_eMode = EAudioMode::kStopped;
    return MciError::kNone;
}

void CSimulatedAudioDevice::Close() {
    if (!m_bLoaded && !m_bCdDrive) {
        return;
    }
    m_pHost->Record(m_nId, "close");
    if (m_bLoaded) {
        m_pHost->NoteOpen(false);
    }
    m_bLoaded = false;
    m_bCdDrive = false;
    m_eMode = EAudioMode::kStopped;
}

void CSimulatedAudioDevice::SetGain(double gain) {
    m_dGain = gain;
    char text[32];
    std::snprintf(text, sizeof text, "gain %.3f", gain);
    m_pHost->Record(m_nId, text);
    m_pHost->RecordGain(m_nId, gain);
}

EAudioMode CSimulatedAudioDevice::Mode() {
    Advance();
    return m_eMode;
}

std::int64_t CSimulatedAudioDevice::DurationMs() {
    return (m_bLoaded && m_bKnowsLength) ? m_nLengthMs : -1;
}

std::int64_t CSimulatedAudioDevice::PositionMs() {
    Advance();
    return m_nPositionMs;
}

bool CSimulatedAudioDevice::ReachedEnd() {
    Advance();
    return m_bEnded;
}

void CSimulatedAudioDevice::Advance() {
    if (m_eMode != EAudioMode::kPlaying) {
        return;
    }
    const std::int64_t now = m_pHost->Clock()->NowMs();
    m_nPositionMs += std::max<std::int64_t>(now - m_nClockAtMs, 0);
    m_nClockAtMs = now;
    const std::int64_t limit = m_nToMs >= 0 ? std::min(m_nToMs, m_nLengthMs) : m_nLengthMs;
    if (m_nPositionMs >= limit) {
        m_nPositionMs = limit;
        m_eMode = EAudioMode::kStopped;
        m_bEnded = limit == m_nLengthMs;
        m_pHost->Record(m_nId, m_bEnded ? "end" : "reached to");
    }
}
