#pragma once

#include <cstdint>
#include <string>

typedef struct _GstMessage GstMessage;
typedef struct _GstElement GstElement;

// Process-wide GStreamer set-up shared by the devices: initialisation, the audio sink
// the user chose, and how GStreamer's errors read as media-control error codes.
namespace GstRuntime {

// Initialises GStreamer once per process; any thread may call it, later calls answer
// the first result at once.
bool Init();

// The sink description: $MIXOREL_AUDIO_SINK ("fakesink sync=true", "pulsesink", ...) or
// "autoaudiosink".
std::string SinkDescription();

// The media-control error code for an error message of a pipeline. cd: the media is an
// audio CD track, so a missing resource means no disc rather than no file.
std::uint32_t ErrorCode(GstMessage* error, bool cd);

// Pops the first error on the pipeline's bus (waiting up to a second for it) and
// answers its code; fallback when there is none.
std::uint32_t TakeError(GstElement* pipeline, bool cd, std::uint32_t fallback);

} // namespace GstRuntime
