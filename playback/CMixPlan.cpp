#include "CMixPlan.h"

#include <algorithm>

void CMixPlan::OldSide(const SInput& input, std::int64_t& endMs, std::int64_t& overlapMs) {
    const std::int64_t mix = std::max<std::int64_t>(0, input.nMixMs);
    if (input.oldCue) {
        endMs = input.oldCue->nCueOutMs;
        const std::int64_t cued = input.oldCue->nCueOutMs - input.oldCue->nStartNextMs;
        overlapMs = std::min(std::max(cued, kShortestCuedOverlapMs), mix);
        const std::int64_t played = endMs - input.oldCue->nCueInMs;
        overlapMs = std::min(overlapMs, std::max<std::int64_t>(0, played / 2));
        return;
    }
    endMs = input.nOldLengthMs;
    overlapMs = mix;
    if (input.nOldLengthMs >= 0) {
        overlapMs = std::min(overlapMs, input.nOldLengthMs / 2);
    }
}

CMixPlan CMixPlan::Make(const SInput& input) {
    CMixPlan plan;
    std::int64_t oldEnd = 0;
    std::int64_t overlap = 0;
    OldSide(input, oldEnd, overlap);
    plan.nNewFromMs = input.newCue ? input.newCue->nCueInMs : 0;
    std::int64_t newLength = input.nNewLengthMs;
    if (input.newCue) {
        newLength = input.newCue->nCueOutMs - input.newCue->nCueInMs;
    }
    const std::int64_t mix = std::max<std::int64_t>(0, input.nMixMs);
    if (newLength >= 0) {
        plan.bNewAtFullVolume = newLength < 2 * mix;
        overlap = std::min(overlap, newLength / 2);
    }
    if (oldEnd < 0) {
        oldEnd = input.nOldPositionMs + overlap; // unknown length: mix from here
    }
    if (overlap < kShortestOverlapMs) {
        overlap = 0;
        plan.bNewAtFullVolume = true;
    }
    plan.nStartAtOldMs = oldEnd - overlap;
    if (plan.nStartAtOldMs < input.nOldPositionMs) {
        // Past the mix point already (a skip): the mix starts now and keeps its length
        // where the old song allows it.
        plan.nStartAtOldMs = input.nOldPositionMs;
        oldEnd = std::min(oldEnd, input.nOldPositionMs + overlap);
        overlap = std::max<std::int64_t>(0, oldEnd - plan.nStartAtOldMs);
    }
    plan.nOverlapMs = overlap;
    plan.nOldEndMs = oldEnd;
    plan.nFadeOutMs = overlap;
    plan.nFadeInMs = plan.bNewAtFullVolume ? 0 : overlap;
    return plan;
}

std::int64_t CMixPlan::MixPointOf(std::int64_t nLengthMs, const std::optional<SongCuePoints>& cue,
                                  std::int64_t nMixMs) {
    if (!cue && nLengthMs < 0) {
        return -1;
    }
    SInput input;
    input.nOldLengthMs = nLengthMs;
    input.oldCue = cue;
    input.nMixMs = nMixMs;
    std::int64_t end = 0;
    std::int64_t overlap = 0;
    OldSide(input, end, overlap);
    return overlap < kShortestOverlapMs ? end : end - overlap;
}
