#include "cli/ModuleLoader.h"

#include <climits>
#include <dlfcn.h>
#include <unistd.h>

namespace {

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

void* LoadModuleSymbol(const std::string& moduleName, const char* symbol, std::string& error) {
    error.clear();
    const std::string exe = ExecutableFolder();
    for (const std::string& folder :
         {exe, exe + "/" + MIXOREL_MODULE_RELATIVE_DIR, std::string(MIXOREL_MODULE_DIR)}) {
        const std::string path = folder + "/" + moduleName;
        void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            error = ::dlerror();
            continue;
        }
        if (void* address = ::dlsym(module, symbol)) {
            return address;
        }
        error = path + " has no " + symbol;
    }
    return nullptr;
}
