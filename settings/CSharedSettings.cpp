#include "CSharedSettings.h"

CSharedSettings::CSharedSettings(ISettingsStore& store) : m_pStore(&store), m_settings(store) {}

bool CSharedSettings::Reload() {
    CSettings fresh(*m_pStore);
    const bool bLoaded = fresh.Load();
    std::lock_guard lock(m_mutex);
    m_settings = std::move(fresh);
    return bLoaded;
}

CSettings CSharedSettings::Get() const {
    std::lock_guard lock(m_mutex);
    return m_settings;
}
