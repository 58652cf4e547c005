#pragma once

#include "loudness/CLoudnessCache.h"
#include "playback/ISongCueSource.h"
#include "settings/ISettingsStore.h"

#include <functional>
#include <memory>

class CLoudnessService;

// The player's view of the analysis: cue points while "automixpoints" is on, the play
// gain while "normalize" is on (the settings are read at each question, so a change in
// the Options takes effect with the next song). A song the cache does not know yet gets
// no cue points (the player's own rule) and its ReplayGain or -6 dB; it is queued for
// analysis ahead of everything else when a service is given.
//
// Threads: any; the cache serialises its own work.
class CLoudnessCueSource : public ISongCueSource {
public:
    CLoudnessCueSource(std::shared_ptr<CLoudnessCache> pCache, ISettingsStore& store,
                       CLoudnessService* pService = nullptr);

    std::optional<SongCuePoints> CuePointsOf(const std::string& path) override;
    std::optional<double> PlayGainDbOf(const std::string& path) override;

private:
    std::optional<SongAnalysis> Known(const std::string& path);

    std::shared_ptr<CLoudnessCache> m_pCache;
    ISettingsStore* m_pStore;
    CLoudnessService* m_pService;
};
