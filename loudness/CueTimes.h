#pragma once

// A song's cue points in seconds from the start of the file, as the analysis found them:
// the start-next is the found one, before the overlap is fitted to "mixseconds".
struct CueTimes {
    double dCueInSeconds = 0.0;
    double dStartNextSeconds = 0.0;
    double dCueOutSeconds = 0.0;
};
