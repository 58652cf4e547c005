// Threads: any thread may read or set the process-wide factory; a mutex guards the
// registry. Contexts made by a factory belong to the thread that made them.

#include "platform/mci/MciContext.h"

#include "platform/mci/CSimulatedMciContextFactory.h"

#include <mutex>
#include <utility>
#include <vector>

namespace {

// The current factory and every one it replaced: a caller may still hold a reference
// to an earlier one, so none is destroyed before the process ends.
struct FactoryRegistry {
    std::mutex mutex;
    std::vector<std::shared_ptr<IMciContextFactory>> factories;
};

FactoryRegistry& Registry() {
    static FactoryRegistry registry;
    return registry;
}

} // namespace

IMciContextFactory& GetMciContextFactory() {
    FactoryRegistry& registry = Registry();
    std::lock_guard lock(registry.mutex);
    if (registry.factories.empty()) {
        registry.factories.push_back(std::make_shared<CSimulatedMciContextFactory>());
    }
    return *registry.factories.back();
}

void SetMciContextFactory(std::shared_ptr<IMciContextFactory> factory) {
    if (!factory) {
        factory = std::make_shared<CSimulatedMciContextFactory>();
    }
    FactoryRegistry& registry = Registry();
    std::lock_guard lock(registry.mutex);
    registry.factories.push_back(std::move(factory));
}
