#pragma once

#include "loudness/LoudnessMeasurement.h"

#include <atomic>
#include <string>

// Decodes a song and measures its loudness (platform/analysis has the GStreamer and
// libebur128 one; tests use a fake). Any thread; one call per song, several at once.
class IAudioAnalyser {
public:
    enum class Outcome {
        kMeasured,
        // The file is missing, damaged or has no audio.
        kUnreadable,
        // stop became true; the measurement is incomplete.
        kStopped
    };

    virtual ~IAudioAnalyser() = default;
    // Measures the whole song into measurement; the true peak only when truePeak is set.
    // Returns within about 50 ms of stop becoming true.
    virtual Outcome Analyse(const std::string& path, bool truePeak, const std::atomic<bool>& stop,
                            LoudnessMeasurement& measurement) = 0;
};
