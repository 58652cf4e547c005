#include "CPlayer.h"

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
