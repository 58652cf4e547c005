#pragma once

#include "playback/CAirStatus.h"

#include <string>

struct CBroadcastSettings;

// The broadcast as the programs drive it: the stream to the Icecast server and the
// recording of the show, both fed by the mixing engine. No GStreamer header is needed
// to use it, so mixorel-cli can take one from the GStreamer module.
//
// Threads: every function from the control thread (the window's, the loop command's).
class IAirStation {
public:
    virtual ~IAirStation() = default;
    // Starts what the settings ask for (stream, recording or both) and hooks it into the
    // mix; false, with the reason, when nothing could start.
    virtual bool Start(std::string& error) = 0;
    // Unhooks, closes the recording (complete when this returns) and the stream.
    virtual void Stop() = 0;
    virtual bool IsStarted() const = 0;
    // The title of the song now playing, for the stream's listeners.
    virtual void SetTitle(const std::string& title) = 0;
    virtual CAirStatus Status() const = 0;
    // True once, the first time the server refuses the user and password.
    virtual bool TakePasswordRefused() = 0;
};

// The module's factory, as mixorel-cli looks it up.
extern "C" {
using MixorelCreateAirStationFn = IAirStation* (*)(const CBroadcastSettings* settings);
}
