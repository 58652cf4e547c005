#include "cli/LoudnessSetup.h"

#include "cli/AnalyserLoader.h"
#include "loudness/CLoudnessCueSource.h"
#include "loudness/CLoudnessService.h"
#include "settings/CSettings.h"

#include <cstdio>

LoudnessSetup::LoudnessSetup(const std::vector<std::string>& songs) {
    auto cache = std::make_shared<CLoudnessCache>();
    cache->Open(CLoudnessCache::DefaultPath());
    std::string error;
    if (auto analyser = LoadLoudnessAnalyser(error)) {
        m_pService = std::make_unique<CLoudnessService>(cache, analyser, [] {
            CSettings settings;
            settings.Load();
            return static_cast<double>(settings.m_nTargetLufs);
        });
        m_pService->Add(songs, CAnalysisQueue::kRest);
        m_pService->Start(1);
    } else {
        std::fprintf(stderr, "mixorel-cli: songs are not analysed (%s)\n", error.c_str());
    }
    SetSongCueSource(
        std::make_shared<CLoudnessCueSource>(cache, GetSettingsStore(), m_pService.get()));
}

LoudnessSetup::~LoudnessSetup() {
    SetSongCueSource(nullptr);
    if (m_pService) {
        m_pService->Stop();
    }
}
