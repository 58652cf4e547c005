#include "loudness/LoudnessLabel.h"

#include "loudness/GainRule.h"

#include <cmath>
#include <cstdio>

std::string LoudnessLabel(const std::optional<SongAnalysis>& a, double targetLufs) {
    if (!a) {
        return {};
    }
    if (!a->IsAnalysed()) {
        return "not analysed";
    }
    const GainRule::SongFacts facts{
        true, a->dIntegratedLufs, a->dSamplePeakDbfs, a->truePeakDbtp, {}};
    const double gain = GainRule::PlayGainDb(facts, targetLufs);
    char text[64];
    if (std::isfinite(a->dIntegratedLufs)) {
        std::snprintf(text, sizeof text, "%.1f LUFS, %+.1f dB", a->dIntegratedLufs, gain);
    } else {
        std::snprintf(text, sizeof text, "silent, %+.1f dB", gain);
    }
    return text;
}

namespace {

std::string WithThousands(std::int64_t n) {
    std::string digits = std::to_string(n < 0 ? 0 : n);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) {
        digits.insert(static_cast<std::size_t>(at), ",");
    }
    return digits;
}

} // namespace

std::string AnalysisProgressText(std::int64_t done, std::int64_t total) {
    if (done >= total) {
        return {};
    }
    return "Analysing " + WithThousands(done) + " of " + WithThousands(total);
}
