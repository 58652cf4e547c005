#pragma once

#include "CSettings.h"

#include <string>
#include <vector>

// The region presets of the region dialog: up to 20 (name, text colour, back colour)
// entries in the settings, most recently used first.
class CRegionPresets {
public:
    static constexpr std::size_t kMaxPresets = 20;

    struct Preset {
        std::string m_strName;
        CSettings::ColorRef m_crText = 0;
        CSettings::ColorRef m_crBack = 0;
    };

    explicit CRegionPresets(CSettings& settings);

    // Reads the stored presets in their order, stopping at the first missing one.
    std::vector<Preset> Load() const;
    // The dialog's OK: an entry with exactly that name leaves its place, the new one goes
    // to the front (the oldest falls off past 20), and all are written back.
    bool Use(const Preset& preset);

private:
    CSettings& m_settings;
};
