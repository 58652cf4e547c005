// A loadable module that makes the GStreamer media-control factory, so mixorel-cli loads
// GStreamer only for the commands that play. The caller owns the factory; the module
// must stay loaded while it exists.
#include "platform/gst/CGstMciContextFactory.h"

extern "C" __attribute__((visibility("default"))) IMciContextFactory* MixorelCreateGstFactory() {
    return new CGstMciContextFactory();
}
