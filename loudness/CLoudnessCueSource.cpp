#include "loudness/CLoudnessCueSource.h"

#include "loudness/CLoudnessService.h"
#include "loudness/CueFinder.h"
#include "loudness/GainRule.h"
#include "media/ReplayGain.h"
#include "settings/CSettings.h"
#include "settings/SettingsKeys.h"

#include <algorithm>

namespace {

double TargetOf(const CSettings& settings) {
    return std::clamp<double>(settings.m_nTargetLufs, SettingsDefaults::kTargetLufsLowest,
                              SettingsDefaults::kTargetLufsHighest);
}

} // namespace

CLoudnessCueSource::CLoudnessCueSource(std::shared_ptr<CLoudnessCache> pCache,
                                       ISettingsStore& store, CLoudnessService* pService)
    : m_pCache(std::move(pCache)), m_pStore(&store), m_pService(pService) {}

std::optional<SongAnalysis> CLoudnessCueSource::Known(const std::string& path) {
    auto found = m_pCache->Lookup(path);
    if (!found && m_pService != nullptr) {
        m_pService->Add({path}, CAnalysisQueue::kNextInLoop);
    }
    return found;
}

std::optional<SongCuePoints> CLoudnessCueSource::CuePointsOf(const std::string& path) {
    CSettings settings(*m_pStore);
    settings.Load();
    if (settings.m_bAutoMixPoints != 1) {
        return std::nullopt;
    }
    const auto known = Known(path);
    if (!known || !known->IsAnalysed()) {
        return std::nullopt;
    }
    return CueFinder::FitOverlap(known->cues, settings.m_nMixSeconds);
}

std::optional<double> CLoudnessCueSource::PlayGainDbOf(const std::string& path) {
    CSettings settings(*m_pStore);
    settings.Load();
    if (settings.m_bNormalize != 1) {
        return std::nullopt;
    }
    const auto known = Known(path);
    GainRule::SongFacts facts;
    if (known && known->IsAnalysed()) {
        facts.bAnalysed = true;
        facts.dIntegratedLufs = known->dIntegratedLufs;
        facts.dSamplePeakDbfs = known->dSamplePeakDbfs;
        facts.truePeakDbtp = known->truePeakDbtp;
    } else {
        facts.replayGainDb = ReplayGain::TrackGainDbOf(path);
    }
    return GainRule::PlayGainDb(facts, TargetOf(settings));
}
