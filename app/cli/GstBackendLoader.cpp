#include "cli/GstBackendLoader.h"

#include "cli/ModuleLoader.h"
#include "platform/mci/MciContext.h"

#include <memory>

bool InstallGstBackend(std::string& error) {
    using Factory = IMciContextFactory* (*)();
    auto factory = reinterpret_cast<Factory>(
        LoadModuleSymbol("mixorel-gst-backend.so", "MixorelCreateGstFactory", error));
    if (factory == nullptr) {
        return false;
    }
    IMciContextFactory* created = factory();
    if (created == nullptr) {
        error = "the GStreamer module made no factory";
        return false;
    }
    SetMciContextFactory(std::shared_ptr<IMciContextFactory>(created));
    return true;
}
