#pragma once

#include "ISettingsStore.h"
#include "ProcessSettingsStore.h"
#include "SettingsKeys.h"

#include <cstdint>

// The main window's placement, section "position": the normal (restored) rectangle's
// left, top, width and height, the show state and the placement flags.
struct CWindowPlacementSettings {
    std::int32_t m_nX = SettingsDefaults::kPositionX;
    std::int32_t m_nY = SettingsDefaults::kPositionY;
    std::int32_t m_nWidth = SettingsDefaults::kPositionWidth;
    std::int32_t m_nHeight = SettingsDefaults::kPositionHeight;
    std::int32_t m_nCmdShow = SettingsDefaults::kPositionCmdShow;
    std::int32_t m_nFlags = SettingsDefaults::kPositionFlags;

    // Reads every value with its default; answers true.
    bool Load(ISettingsStore& store = GetSettingsStore());
    // False when the store refused a write.
    bool Save(ISettingsStore& store = GetSettingsStore()) const;
};
