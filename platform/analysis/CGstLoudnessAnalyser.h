#pragma once

#include "loudness/IAudioAnalyser.h"

// Decodes a song with GStreamer (filesrc, decodebin, audioconvert to interleaved 32-bit
// float in two channels at the song's own rate, appsink) and measures it with
// libebur128: integrated loudness, loudness range, the true peak when asked, and the
// 100 ms envelopes of the song's first and last 30 s.
//
// Threads: Analyse runs on the caller's thread, which pulls the decoded buffers;
// GStreamer's streaming thread decodes at most a few buffers ahead of it, so a
// low-priority caller keeps the decoder at low pace too. Several calls may run at once.
class CGstLoudnessAnalyser : public IAudioAnalyser {
public:
    Outcome Analyse(const std::string& path, bool truePeak, const std::atomic<bool>& stop,
                    LoudnessMeasurement& measurement) override;
};
