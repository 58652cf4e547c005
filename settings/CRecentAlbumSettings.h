#pragma once

#include "ISettingsStore.h"
#include "ProcessSettingsStore.h"

#include <string>
#include <vector>

// The recent-album list, section "projectmru", keys "1" to "4", most recent first.
struct CRecentAlbumSettings {
    std::vector<std::string> m_astrPaths; // at most 4; empty entries are not kept

    // Reads the entries that are present and not empty, in key order; answers true.
    bool Load(ISettingsStore& store = GetSettingsStore());
    // Writes keys "1" to "4", an empty text for each missing entry; false when the store
    // refused a write.
    bool Save(ISettingsStore& store = GetSettingsStore()) const;
};
