#include "cli/GstBackendLoader.h"

#include "platform/mci/MciContext.h"

#include <climits>
#include <dlfcn.h>
#include <memory>
#include <unistd.h>

namespace {

constexpr const char* kModuleName = "mixorel-gst-backend.so";
constexpr const char* kFactorySymbol = "MixorelCreateGstFactory";

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

bool InstallGstBackend(std::string& error) {
    using Factory = IMciContextFactory* (*)();
    error.clear();
    for (const std::string& folder : {ExecutableFolder(), std::string(MIXOREL_MODULE_DIR)}) {
        const std::string path = folder + "/" + kModuleName;
        void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            error = ::dlerror();
            continue;
        }
        auto factory = reinterpret_cast<Factory>(::dlsym(module, kFactorySymbol));
        if (factory == nullptr) {
            error = path + " has no " + kFactorySymbol;
            continue;
        }
        IMciContextFactory* created = factory();
        if (created == nullptr) {
            error = path + " made no factory";
            continue;
        }
        SetMciContextFactory(std::shared_ptr<IMciContextFactory>(created));
        return true;
    }
    return false;
}
