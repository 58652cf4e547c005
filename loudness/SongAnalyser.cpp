#include "loudness/SongAnalyser.h"

#include "loudness/ContentFingerprint.h"
#include "loudness/CueFinder.h"

#include <cmath>

namespace SongAnalyser {

namespace {

SongAnalysis FromMeasurement(const LoudnessMeasurement& m) {
    SongAnalysis a;
    a.eStatus = SongAnalysis::Status::kAnalysed;
    a.dIntegratedLufs = m.dIntegratedLufs;
    a.dLoudnessRangeLu = std::isfinite(m.dLoudnessRangeLu) ? m.dLoudnessRangeLu : 0.0;
    a.dSamplePeakDbfs = m.dSamplePeakDbfs;
    a.truePeakDbtp = m.truePeakDbtp;
    a.dDurationSeconds = m.dDurationSeconds;
    a.cues = CueFinder::FindCueTimes(m);
    return a;
}

} // namespace

Result AnalyseAndStore(IAudioAnalyser& analyser, CLoudnessCache& cache, const std::string& path,
                       double targetLufs, const std::atomic<bool>& stop, SongAnalysis& analysis) {
    std::int64_t size = 0;
    std::int64_t mtimeNs = 0;
    if (!ContentFingerprint::StampOf(path, size, mtimeNs)) {
        return Result::kNotAnalysed;
    }
    const auto before = ContentFingerprint::OfFile(path);
    if (!before) {
        return Result::kNotAnalysed;
    }
    LoudnessMeasurement measurement;
    auto outcome = analyser.Analyse(path, false, stop, measurement);
    // The true peak costs a second pass; only a song that would be raised needs it.
    if (outcome == IAudioAnalyser::Outcome::kMeasured &&
        std::isfinite(measurement.dIntegratedLufs) &&
        targetLufs - measurement.dIntegratedLufs > 0) {
        LoudnessMeasurement peaks;
        outcome = analyser.Analyse(path, true, stop, peaks);
        if (outcome == IAudioAnalyser::Outcome::kMeasured) {
            measurement = std::move(peaks);
        }
    }
    if (outcome == IAudioAnalyser::Outcome::kStopped) {
        return Result::kStopped;
    }
    std::int64_t sizeAfter = 0;
    std::int64_t mtimeAfter = 0;
    if (!ContentFingerprint::StampOf(path, sizeAfter, mtimeAfter) || sizeAfter != size ||
        mtimeAfter != mtimeNs || ContentFingerprint::OfFile(path) != before) {
        return Result::kNotAnalysed;
    }
    if (outcome == IAudioAnalyser::Outcome::kMeasured) {
        analysis = FromMeasurement(measurement);
    } else {
        analysis = SongAnalysis{};
        analysis.eStatus = SongAnalysis::Status::kUnreadable;
    }
    cache.Store(path, size, mtimeNs, *before, analysis);
    return Result::kStored;
}

} // namespace SongAnalyser
