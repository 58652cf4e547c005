#include "CRegionPresets.h"

#include <algorithm>

CRegionPresets::CRegionPresets(CSettings& settings) : m_settings(settings) {}

std::vector<CRegionPresets::Preset> CRegionPresets::Load() const {
    std::vector<Preset> presets;
    for (std::size_t index = 0; index < kMaxPresets; ++index) {
        Preset preset;
        if (!m_settings.ReadRegion(static_cast<int>(index), preset.m_strName, preset.m_crText,
                                   preset.m_crBack)) {
            break;
        }
        presets.push_back(std::move(preset));
    }
    return presets;
}

bool CRegionPresets::Use(const Preset& preset) {
    if (preset.m_strName.find_first_not_of(" \t\r\n") == std::string::npos) {
        return false;
    }
    std::vector<Preset> presets = Load();
    std::erase_if(presets, [&](const Preset& old) { return old.m_strName == preset.m_strName; });
    presets.insert(presets.begin(), preset);
    if (presets.size() > kMaxPresets) {
        presets.resize(kMaxPresets);
    }
    bool ok = true;
    for (std::size_t index = 0; index < presets.size(); ++index) {
        ok = m_settings.WriteRegion(static_cast<int>(index), presets[index].m_strName,
                                    presets[index].m_crText, presets[index].m_crBack) &&
             ok;
    }
    return ok;
}
