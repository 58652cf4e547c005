#include "loudness/GainRule.h"

#include <algorithm>
#include <cmath>

namespace GainRule {

double PlayGainDb(const SongFacts& facts, double targetLufs) {
    if (!facts.bAnalysed) {
        const double gain = facts.replayGainDb.value_or(kUnknownSongGainDb);
        return std::isfinite(gain) ? std::min(gain, kLargestGainDb) : kUnknownSongGainDb;
    }
    if (!std::isfinite(facts.dIntegratedLufs)) {
        return 0.0;
    }
    double gain = targetLufs - facts.dIntegratedLufs;
    const double peak = facts.truePeakDbtp.value_or(facts.dSamplePeakDbfs);
    if (std::isfinite(peak)) {
        gain = std::min(gain, kPeakCeilingDbtp - peak);
    }
    return std::min(gain, kLargestGainDb);
}

} // namespace GainRule
