#pragma once

#include "ILoopClock.h"

#include "catalogue/ILoopRunner.h"

class CSharedSettings;

// Makes loop drivers for documents, on one clock, each with a copy of the settings as
// they are when it starts.
class CPlayListThreadFactory final : public ILoopRunnerFactory {
public:
    CPlayListThreadFactory(ILoopClock& clock, const CSharedSettings* settings);
    std::unique_ptr<ILoopRunner> StartDriver(CMixorel2001Doc& doc, std::uint32_t token) override;

private:
    ILoopClock& m_clock;
    const CSharedSettings* m_pSettings;
};
