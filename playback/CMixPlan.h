#pragma once

#include "ISongCueSource.h"

#include <cstdint>
#include <optional>

// How one song mixes into the next: where in the playing (old) song the new one starts,
// how long the two overlap, how each fades, where the new one plays from and where the
// old one ends. Times are milliseconds of the songs' own time; a length of -1 is unknown.
//
// The rules: the overlap is the mix time, at most half the length of either song; a new
// song shorter than twice the mix time starts at full volume; with cue points the next
// song starts at the old song's start-next point, the old song ends at its cue-out (the
// overlap counted back from there, 0.5 s to the mix time) and the new song plays from
// its cue-in. An overlap under 0.3 s makes a plain sequence: the new song starts at full
// volume where the old one ends. Pure functions; any thread.
class CMixPlan {
public:
    static constexpr std::int64_t kShortestOverlapMs = 300;
    static constexpr std::int64_t kShortestCuedOverlapMs = 500;
    // A song started with nothing playing ramps up over this long.
    static constexpr std::int64_t kFirstStartRampMs = 300;

    struct SInput {
        std::int64_t nOldLengthMs = -1;
        std::int64_t nOldPositionMs = 0;
        std::optional<SongCuePoints> oldCue;
        std::int64_t nNewLengthMs = -1;
        std::optional<SongCuePoints> newCue;
        std::int64_t nMixMs = 0;
    };

    // The old song's position at which the new one starts (never before its position).
    std::int64_t nStartAtOldMs = 0;
    std::int64_t nOverlapMs = 0;
    std::int64_t nFadeInMs = 0;
    std::int64_t nFadeOutMs = 0;
    bool bNewAtFullVolume = false;
    std::int64_t nNewFromMs = 0;
    // The old song's position at which it ends.
    std::int64_t nOldEndMs = 0;

    static CMixPlan Make(const SInput& input);
    // The earliest point of the old song at which its mix can start: what the old song
    // alone decides (its length, its cue points, the mix time); -1 when its length is
    // unknown.
    static std::int64_t MixPointOf(std::int64_t nLengthMs, const std::optional<SongCuePoints>& cue,
                                   std::int64_t nMixMs);

private:
    // The old song's end and the overlap it allows before that.
    static void OldSide(const SInput& input, std::int64_t& endMs, std::int64_t& overlapMs);
};
