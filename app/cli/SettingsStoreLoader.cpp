#include "cli/SettingsStoreLoader.h"

#include "cli/ModuleLoader.h"
#include "settings/ProcessSettingsStore.h"

#include <cstdio>
#include <memory>

bool InstallSettingsStore() {
    using Factory = ISettingsStore* (*)();
    std::string error;
    auto factory = reinterpret_cast<Factory>(
        LoadModuleSymbol("mixorel-settings-store.so", "MixorelCreateSettingsStore", error));
    if (factory == nullptr) {
        std::fprintf(stderr, "mixorel-cli: cannot load the settings (%s); using the defaults\n",
                     error.c_str());
        return false;
    }
    SetSettingsStore(std::shared_ptr<ISettingsStore>(factory()));
    return true;
}
