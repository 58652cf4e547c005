#pragma once

#include "MpegFileInfo.h"

#include <cstdint>
#include <string>

// The playing time of an MPEG file by walking its frames, for files whose bit rate
// varies and that carry no Xing frame count (the first frame's rate says nothing about
// the rest). Frames of constant bit rate are recognised from the first few and answered
// from the audio size without reading on.
class MpegFrameCounter {
public:
    // Frames looked at to tell constant from variable bit rate.
    static constexpr int kProbeFrames = 16;

    // Milliseconds of audio in the file that info was read from (info.Read answered 0);
    // -1 when nothing can be said. Frames after a damaged stretch are estimated from the
    // average of the frames before it.
    static std::int64_t DurationMs(const std::string& path, const MpegFileInfo& info);
};
