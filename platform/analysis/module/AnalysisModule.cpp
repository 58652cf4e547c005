// A loadable module that makes the loudness analyser, so mixorel-cli loads GStreamer and
// libebur128 only for `analyse`. The caller owns the analyser; the module must stay
// loaded while it exists.
#include "platform/analysis/CGstLoudnessAnalyser.h"

extern "C" __attribute__((visibility("default"))) IAudioAnalyser* MixorelCreateLoudnessAnalyser() {
    return new CGstLoudnessAnalyser();
}
