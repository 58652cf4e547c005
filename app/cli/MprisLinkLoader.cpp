#include "cli/MprisLinkLoader.h"

#include "cli/ModuleLoader.h"

std::shared_ptr<IRemotePlayerLink> LoadMprisLink(std::string& error) {
    using Factory = IRemotePlayerLink* (*)();
    auto factory = reinterpret_cast<Factory>(
        LoadModuleSymbol("mixorel-mpris-link.so", "MixorelCreateMprisLink", error));
    if (factory == nullptr) {
        return nullptr;
    }
    IRemotePlayerLink* created = factory();
    if (created == nullptr) {
        error = "the MPRIS module made no link";
        return nullptr;
    }
    return std::shared_ptr<IRemotePlayerLink>(created);
}
