#pragma once

#include <memory>
#include <string>

class IAudioAnalyser;

// The loudness analyser of the module mixorel-analysis.so (GStreamer and libebur128),
// loaded for the life of the process; null with the reason in error when it cannot be.
std::shared_ptr<IAudioAnalyser> LoadLoudnessAnalyser(std::string& error);
