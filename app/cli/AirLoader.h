#pragma once

#include <memory>
#include <string>

class IAirStation;
struct CBroadcastSettings;

// A broadcast (stream and recording) from the GStreamer module, hooked into the same
// mixing engine as the songs the loop plays. Null, with the reason in error, when the
// module has none. Call it after InstallGstBackend.
std::unique_ptr<IAirStation> MakeAirStation(const CBroadcastSettings& settings, std::string& error);
