// The broadcast's factory in the GStreamer module, beside the media-control factory, so
// that mixorel-cli's stream and recording hook into the same mixing engine as its songs.
#include "platform/air/CAirStation.h"

extern "C" __attribute__((visibility("default"))) IAirStation*
MixorelCreateAirStation(const CBroadcastSettings* settings) {
    return settings != nullptr ? new CAirStation(*settings) : nullptr;
}
