#pragma once

#include "loudness/CueTimes.h"
#include "loudness/LoudnessMeasurement.h"
#include "playback/ISongCueSource.h"

// Where a song's music starts and ends, found from its envelopes relative to its own
// integrated loudness I:
//  - cue-in: the first block louder than max(I - 42 LU, -60 LUFS) whose sample peak is
//    above -60 dBFS, less 0.1 s; a cue-in under 0.4 s becomes 0;
//  - cue-out: the end of the last such block, plus 0.1 s (never past the song's end);
//  - start-next: the last block louder than I - 8 LU; when that leaves more than 15 s
//    before the cue-out (a long fade or an applause tail), the last block louder than
//    I - 20 LU instead.
// The cue-in threshold is never raised above I - 42 LU, so a quiet intro is kept. A
// silent song (I is minus infinity) gets its cue points at 0 and at its end.
namespace CueFinder {

inline constexpr double kCueInBelowLu = 42.0;
inline constexpr double kFloorLufs = -60.0;
inline constexpr double kFloorPeakDbfs = -60.0;
inline constexpr double kStartNextBelowLu = 8.0;
inline constexpr double kLongTailBelowLu = 20.0;
inline constexpr double kLongTailSeconds = 15.0;
inline constexpr double kMarginSeconds = 0.1;
inline constexpr double kCueInSnapSeconds = 0.4;
inline constexpr double kShortestOverlapSeconds = 0.5;

CueTimes FindCueTimes(const LoudnessMeasurement& measurement);

// The cue points the player uses: the overlap (cue-out less start-next) held between
// 0.5 s and mixSeconds, counted back from the cue-out, and never before the cue-in.
SongCuePoints FitOverlap(const CueTimes& times, double mixSeconds);

} // namespace CueFinder
