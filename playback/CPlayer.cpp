#include "CPlayer.h"

#include "PlayerStrings.h"

#include <cstdio>
#include <string_view>

CPlayer::~CPlayer() = default;

void CPlayer::SetMixEnabled(bool bEnabled) {
    m_bMixEnabled.store(bEnabled);
}

bool CPlayer::IsMixEnabled() const {
    return m_bMixEnabled.load();
}

void CPlayer::SetMixSeconds(std::int32_t nSeconds) {
    m_nMixSeconds.store(nSeconds);
}

std::int32_t CPlayer::GetMixSeconds() const {
    return m_nMixSeconds.load();
}

std::int32_t CPlayer::GetMixSpeed() const {
    return m_nMixSpeed.load();
}

void CPlayer::SetMixSpeed(std::int32_t nSpeed) {
    m_nMixSpeed.store(nSpeed);
}

void CPlayer::SetMixType(std::int32_t nType) {
    m_nMixType.store(nType);
}

std::int32_t CPlayer::GetMixType() const {
    return m_nMixType.load();
}

std::int32_t CPlayer::AddRef() {
    return ++m_nRefCount;
}

std::int32_t CPlayer::DecRef() {
    return --m_nRefCount;
}

bool CPlayer::ComposeStatusText(std::string& text) {
    std::string title;
    GetTitle(title);
    const std::int32_t mode = GetMode(true);
    if (mode == kModeStopped) {
        text = PlayerStrings::kStopped;
        return true;
    }
    std::string_view state;
    if (mode == kModePlaying) {
        state = PlayerStrings::kPlaying;
    } else if (mode == kModePaused) {
        state = PlayerStrings::kPaused;
    }
    std::int32_t position = 0;
    std::int32_t length = 0;
    GetPosition(position);
    GetLength(length);
    const long remaining = static_cast<long>(length) - position;
    char time[96];
    std::snprintf(time, sizeof time, "%ld:%.2ld/%ld:%.2ld", remaining / 60, remaining % 60,
                  static_cast<long>(length) / 60, static_cast<long>(length) % 60);
    text = std::string(state) + " " + time + " [" + title + "]";
    return true;
}
