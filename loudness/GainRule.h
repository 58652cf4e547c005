#pragma once

#include <optional>

// The fixed gain a song plays with when loudness normalisation is on.
namespace GainRule {

inline constexpr double kPeakCeilingDbtp = -1.0;
inline constexpr double kLargestGainDb = 12.0;
inline constexpr double kUnknownSongGainDb = -6.0;

// What is known of a song. An analysed song has its integrated loudness (minus infinity
// when it is silent) and its peaks; a song not yet analysed may carry a ReplayGain tag.
struct SongFacts {
    bool bAnalysed = false;
    double dIntegratedLufs = 0.0;
    double dSamplePeakDbfs = 0.0;
    std::optional<double> truePeakDbtp;
    std::optional<double> replayGainDb;
};

// Analysed: target - I, lowered so that the peak after gain (true peak when measured,
// else sample peak) stays at or under -1 dBTP, and at most +12 dB; a silent song gets no
// gain. Not analysed: its ReplayGain track gain, else -6 dB (also at most +12 dB).
double PlayGainDb(const SongFacts& facts, double targetLufs);

} // namespace GainRule
