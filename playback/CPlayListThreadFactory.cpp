#include "CPlayListThreadFactory.h"

#include "CPlayListThread.h"

#include "settings/CSharedSettings.h"

CPlayListThreadFactory::CPlayListThreadFactory(ILoopClock& clock, const CSharedSettings* settings)
    : m_clock(clock), m_pSettings(settings) {}

std::unique_ptr<ILoopRunner> CPlayListThreadFactory::StartDriver(CMixorel2001Doc& doc,
                                                                 std::uint32_t token) {
    CSettings settings = m_pSettings != nullptr ? m_pSettings->Get() : CSettings();
    auto driver = std::make_unique<CPlayListThread>(doc, token, m_clock, std::move(settings));
    if (!driver->Start()) {
        return nullptr;
    }
    return driver;
}
