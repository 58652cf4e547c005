#include "CRecentAlbumSettings.h"

#include "SettingsKeys.h"

namespace Keys = SettingsKeys;

bool CRecentAlbumSettings::Load(ISettingsStore& store) {
    m_astrPaths.clear();
    for (int i = 1; i <= Keys::kProjectMruEntries; ++i) {
        std::string path =
            store.GetProfileString(Keys::kSectionProjectMru, std::to_string(i), std::string_view());
        if (!path.empty()) {
            m_astrPaths.push_back(std::move(path));
        }
    }
    return true;
}

bool CRecentAlbumSettings::Save(ISettingsStore& store) const {
    bool bAll = true;
    for (int i = 1; i <= Keys::kProjectMruEntries; ++i) {
        const auto slot = static_cast<std::size_t>(i - 1);
        const std::string_view path =
            slot < m_astrPaths.size() ? std::string_view(m_astrPaths[slot]) : std::string_view();
        bAll = store.WriteProfileString(Keys::kSectionProjectMru, std::to_string(i), path) && bAll;
    }
    return bAll;
}
