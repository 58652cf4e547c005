#pragma once

#include <cstdint>
#include <optional>
#include <vector>

// What one pass over a song's decoded audio measured. Levels are in LUFS (loudness) and
// dBFS (peaks); a silent song has an integrated loudness of minus infinity.
//
// The envelopes hold one value per 100 ms block: the momentary loudness (400 ms window
// ending with the block) and the block's sample peak. The head covers the song's first
// blocks from block 0, the tail its last blocks, starting at block nTailFirstBlock; the
// two overlap for a song shorter than both together.
struct LoudnessMeasurement {
    static constexpr double kBlockSeconds = 0.1;
    // Each envelope covers at most this much of the song.
    static constexpr double kEnvelopeSeconds = 30.0;
    static constexpr std::size_t kEnvelopeBlocks = 300;

    double dIntegratedLufs = 0.0;
    double dLoudnessRangeLu = 0.0;
    double dSamplePeakDbfs = 0.0;
    // Measured only when asked (it costs a second pass over the song).
    std::optional<double> truePeakDbtp;
    double dDurationSeconds = 0.0;

    std::vector<float> headMomentaryLufs;
    std::vector<float> headPeakDbfs;
    std::int64_t nTailFirstBlock = 0;
    std::vector<float> tailMomentaryLufs;
    std::vector<float> tailPeakDbfs;
};
