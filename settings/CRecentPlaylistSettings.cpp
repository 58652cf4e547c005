#include "CRecentPlaylistSettings.h"

#include "SettingsKeys.h"

#include <algorithm>

namespace Keys = SettingsKeys;

namespace {

std::string KeyOf(int entry) {
    return std::string(Keys::kRecentFileKeyPrefix) + std::to_string(entry);
}

} // namespace

bool CRecentPlaylistSettings::Load(ISettingsStore& store) {
    m_astrPaths.clear();
    for (int i = 1; i <= Keys::kRecentFileEntries; ++i) {
        std::string path =
            store.GetProfileString(Keys::kSectionRecentFiles, KeyOf(i), std::string_view());
        if (!path.empty() &&
            std::find(m_astrPaths.begin(), m_astrPaths.end(), path) == m_astrPaths.end()) {
            m_astrPaths.push_back(std::move(path));
        }
    }
    return true;
}

bool CRecentPlaylistSettings::Save(ISettingsStore& store) const {
    bool bAll = true;
    for (int i = 1; i <= Keys::kRecentFileEntries; ++i) {
        const auto slot = static_cast<std::size_t>(i - 1);
        const std::string_view path =
            slot < m_astrPaths.size() ? std::string_view(m_astrPaths[slot]) : std::string_view();
        bAll = store.WriteProfileString(Keys::kSectionRecentFiles, KeyOf(i), path) && bAll;
    }
    return bAll;
}

void CRecentPlaylistSettings::Add(const std::string& path) {
    if (path.empty()) {
        return;
    }
    Remove(path);
    m_astrPaths.insert(m_astrPaths.begin(), path);
    if (m_astrPaths.size() > static_cast<std::size_t>(Keys::kRecentFileEntries)) {
        m_astrPaths.resize(Keys::kRecentFileEntries);
    }
}

void CRecentPlaylistSettings::Remove(const std::string& path) {
    m_astrPaths.erase(std::remove(m_astrPaths.begin(), m_astrPaths.end(), path), m_astrPaths.end());
}
