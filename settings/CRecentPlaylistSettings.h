#pragma once

#include "ISettingsStore.h"
#include "ProcessSettingsStore.h"

#include <string>
#include <vector>

// The recent-playlist list of File: section "recent file list", keys "file1" to "file4",
// most recent first.
struct CRecentPlaylistSettings {
    std::vector<std::string> m_astrPaths; // at most 4, no duplicates, none empty

    // Reads the entries that are present and not empty, in key order; answers true.
    bool Load(ISettingsStore& store = GetSettingsStore());
    // Writes keys "file1" to "file4", an empty text for each missing entry; false when the
    // store refused a write.
    bool Save(ISettingsStore& store = GetSettingsStore()) const;
    // A playlist opened or saved: first in the list, once; the oldest falls off.
    void Add(const std::string& path);
    // A playlist that could not be opened leaves the list.
    void Remove(const std::string& path);
};
