#include "cli/AnalyserLoader.h"

#include "cli/ModuleLoader.h"
#include "loudness/IAudioAnalyser.h"

std::shared_ptr<IAudioAnalyser> LoadLoudnessAnalyser(std::string& error) {
    using Factory = IAudioAnalyser* (*)();
    auto factory = reinterpret_cast<Factory>(
        LoadModuleSymbol("mixorel-analysis.so", "MixorelCreateLoudnessAnalyser", error));
    if (factory == nullptr) {
        return nullptr;
    }
    std::shared_ptr<IAudioAnalyser> analyser(factory());
    if (!analyser) {
        error = "the analysis module made no analyser";
    }
    return analyser;
}
