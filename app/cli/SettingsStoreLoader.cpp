#include "cli/SettingsStoreLoader.h"

#include "settings/ProcessSettingsStore.h"

#include <climits>
#include <cstdio>
#include <dlfcn.h>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

constexpr const char* kModuleName = "mixorel-settings-store.so";

std::string ExecutableFolder() {
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) {
        return {};
    }
    const std::string exe(path, static_cast<std::size_t>(n));
    return exe.substr(0, exe.find_last_of('/'));
}

} // namespace

bool InstallSettingsStore() {
    using Factory = ISettingsStore* (*)();
    std::string error;
    for (const std::string& folder : {ExecutableFolder(), std::string(MIXOREL_MODULE_DIR)}) {
        const std::string path = folder + "/" + kModuleName;
        // The module stays loaded for the life of the process.
        void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            error = ::dlerror();
            continue;
        }
        auto factory = reinterpret_cast<Factory>(::dlsym(module, "MixorelCreateSettingsStore"));
        if (factory == nullptr) {
            error = "the settings module has no store";
            continue;
        }
        SetSettingsStore(std::shared_ptr<ISettingsStore>(factory()));
        return true;
    }
    std::fprintf(stderr, "mixorel-cli: cannot load the settings (%s); using the defaults\n",
                 error.c_str());
    return false;
}
