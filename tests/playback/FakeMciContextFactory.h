#pragma once

#include "FakeMciDevice.h"
#include "platform/mci/MciContext.h"

#include <atomic>
#include <memory>

// Makes contexts that talk to one FakeMciDevice, numbered in the order they are made.
// Can be told to refuse contexts, as a back end that cannot open a device would.
// Threads: any worker may call CreateContext.
class FakeMciContextFactory : public IMciContextFactory {
public:
    explicit FakeMciContextFactory(std::shared_ptr<FakeMciDevice> pDevice);

    std::unique_ptr<IMciContext> CreateContext() override;
    void SetFailing(bool bFailing) { m_bFailing.store(bFailing); }

private:
    std::shared_ptr<FakeMciDevice> m_pDevice;
    std::atomic<bool> m_bFailing{false};
};
