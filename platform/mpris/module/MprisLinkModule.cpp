// A loadable module that makes the MPRIS remote-player link, so mixorel-cli loads Qt only
// for the commands that drive a remote player. The caller owns the link; the module
// must stay loaded while it exists.
#include "platform/mpris/CMprisRemoteLink.h"

extern "C" __attribute__((visibility("default"))) IRemotePlayerLink* MixorelCreateMprisLink() {
    return new CMprisRemoteLink();
}
