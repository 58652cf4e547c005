#include "SystemColours.h"

#include "CDefaultSystemColours.h"

#include <mutex>

namespace {

struct ProviderSlot {
    std::mutex mutex;
    std::shared_ptr<ISystemColours> current = std::make_shared<CDefaultSystemColours>();
};

ProviderSlot& Slot() {
    static ProviderSlot slot;
    return slot;
}

} // namespace

std::uint32_t GetSystemColour(int index) {
    std::shared_ptr<ISystemColours> provider;
    {
        ProviderSlot& slot = Slot();
        std::lock_guard lock(slot.mutex);
        provider = slot.current;
    }
    return provider->GetSystemColour(index);
}

void SetSystemColours(std::shared_ptr<ISystemColours> provider) {
    ProviderSlot& slot = Slot();
    std::lock_guard lock(slot.mutex);
    slot.current = provider ? std::move(provider) : std::make_shared<CDefaultSystemColours>();
}
