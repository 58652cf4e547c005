#pragma once

#include "CSettings.h"

#include <mutex>

// The settings record the playlist documents and views share. The user-interface thread
// reloads it while other threads read it, so it hands out copies under a lock instead of
// letting readers touch the fields of a record that is being reloaded.
class CSharedSettings {
public:
    explicit CSharedSettings(ISettingsStore& store = GetSettingsStore());

    // Loads a fresh record from the store and puts it in place; answers Load's result.
    bool Reload();
    // A copy of the record as it is now.
    CSettings Get() const;

private:
    ISettingsStore* m_pStore;
    mutable std::mutex m_mutex;
    CSettings m_settings;
};
