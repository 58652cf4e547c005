#pragma once

#include "loudness/CLoudnessCache.h"
#include "loudness/IAudioAnalyser.h"
#include "loudness/SongAnalysis.h"

#include <atomic>
#include <optional>
#include <string>

// One song's analysis from file to cache, shared by the background worker and
// `mixorel-cli analyse`.
namespace SongAnalyser {

enum class Result {
    // Analysed (or found unreadable) and stored.
    kStored,
    // The file is gone, or changed while it was analysed: nothing stored, try again later.
    kNotAnalysed,
    // Stopped on request: nothing stored.
    kStopped
};

// Takes the file's stamp and fingerprint, measures it (a second pass for the true peak
// when the song would be raised at targetLufs), finds its cue points, checks that the
// file did not change meanwhile and stores the result. The result is in analysis when
// kStored.
Result AnalyseAndStore(IAudioAnalyser& analyser, CLoudnessCache& cache, const std::string& path,
                       double targetLufs, const std::atomic<bool>& stop, SongAnalysis& analysis);

} // namespace SongAnalyser
