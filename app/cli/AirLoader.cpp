#include "cli/AirLoader.h"

#include "cli/ModuleLoader.h"
#include "platform/air/IAirStation.h"

std::unique_ptr<IAirStation> MakeAirStation(const CBroadcastSettings& settings,
                                            std::string& error) {
    auto factory = reinterpret_cast<MixorelCreateAirStationFn>(
        LoadModuleSymbol("mixorel-gst-backend.so", "MixorelCreateAirStation", error));
    if (factory == nullptr) {
        return nullptr;
    }
    return std::unique_ptr<IAirStation>(factory(&settings));
}
