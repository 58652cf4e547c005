#pragma once

#include "loudness/CueTimes.h"

#include <optional>

// The stored outcome of one song's analysis.
struct SongAnalysis {
    enum class Status : int {
        kAnalysed = 1,
        // The file could not be decoded: it keeps its ReplayGain or -6 dB, and the
        // player's own mix rule.
        kUnreadable = 2
    };

    Status eStatus = Status::kAnalysed;
    // Minus infinity for a silent song.
    double dIntegratedLufs = 0.0;
    double dLoudnessRangeLu = 0.0;
    double dSamplePeakDbfs = 0.0;
    std::optional<double> truePeakDbtp;
    double dDurationSeconds = 0.0;
    CueTimes cues;

    bool IsAnalysed() const { return eStatus == Status::kAnalysed; }
};
