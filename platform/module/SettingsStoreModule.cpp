// A loadable module that makes the Qt settings store for programs that must not link Qt
// (mixorel-cli loads it only for the commands that read the settings).
#include "platform/QtSettingsStore.h"

extern "C" __attribute__((visibility("default"))) ISettingsStore* MixorelCreateSettingsStore() {
    return new QtSettingsStore();
}
