#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

// Where a song's music really starts and ends, in the song's own time (milliseconds from
// the start of the file).
struct SongCuePoints {
    // The first moment worth hearing; the song is started from here.
    std::int64_t nCueInMs = 0;
    // Where the next song should begin, so the two overlap from here to the cue-out.
    std::int64_t nStartNextMs = 0;
    // The last moment worth hearing; the song is ended here.
    std::int64_t nCueOutMs = 0;
};

// What the player may learn about a song before it starts it: the cue points and the
// fixed gain it plays with. Answers at once from what is known (a cache), never analyses
// while asked. Any thread.
class ISongCueSource {
public:
    virtual ~ISongCueSource() = default;
    // Nothing when the song has not been analysed: the player then uses its own rule.
    virtual std::optional<SongCuePoints> CuePointsOf(const std::string& path) = 0;
    // The gain in dB the song plays with; nothing: it plays as it is.
    virtual std::optional<double> PlayGainDbOf(const std::string& path) = 0;
};

// The process's source; null (the default) when no analysis is installed. Any thread.
void SetSongCueSource(std::shared_ptr<ISongCueSource> pSource);
std::shared_ptr<ISongCueSource> GetSongCueSource();
