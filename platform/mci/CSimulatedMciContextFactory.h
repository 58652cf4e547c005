#pragma once

#include "platform/mci/CSimulatedDeviceHost.h"
#include "platform/mci/MciContext.h"

#include <memory>

// Contexts whose devices are simulated (no audio). All contexts of one factory share
// its host, so a test sees every command of every worker in one journal.
class CSimulatedMciContextFactory final : public IMciContextFactory {
public:
    // Without a host, a fresh one on the steady clock.
    explicit CSimulatedMciContextFactory(std::shared_ptr<CSimulatedDeviceHost> host = nullptr);

    std::unique_ptr<IMciContext> CreateContext() override;
    const std::shared_ptr<CSimulatedDeviceHost>& Host() const { return m_pHost; }

private:
    std::shared_ptr<CSimulatedDeviceHost> m_pHost;
};
