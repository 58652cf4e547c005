#include "ProcessSettingsStore.h"

#include "CMemorySettingsStore.h"

#include <mutex>
#include <vector>

namespace {

struct StoreSlot {
    std::mutex mutex;
    std::shared_ptr<ISettingsStore> current;
    std::vector<std::shared_ptr<ISettingsStore>> retired;
};

StoreSlot& Slot() {
    static StoreSlot slot;
    return slot;
}

} // namespace

ISettingsStore& GetSettingsStore() {
    StoreSlot& slot = Slot();
    std::lock_guard lock(slot.mutex);
    if (!slot.current) {
        slot.current = std::make_shared<CMemorySettingsStore>();
    }
    return *slot.current;
}

void SetSettingsStore(std::shared_ptr<ISettingsStore> store) {
    StoreSlot& slot = Slot();
    std::lock_guard lock(slot.mutex);
    if (slot.current) {
        slot.retired.push_back(std::move(slot.current));
    }
    slot.current = store ? std::move(store) : std::make_shared<CMemorySettingsStore>();
}
