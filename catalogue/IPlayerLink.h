#pragma once

#include <string>

// The active player as a playlist document uses it to loop and to play regions. The
// playback side implements it over the player in use, with song starts going through
// the play log; tests use a scripted player.
class IPlayerLink {
public:
    virtual ~IPlayerLink() = default;

    virtual bool IsConnected() = 0;
    // Connects to (or starts) the player.
    virtual bool Connect() = 0;
    // Starts a song through the play log.
    virtual bool PlayLogged(const std::string& path) = 0;
    // False once the song is over, or within the mix seconds of its end when mixing.
    virtual bool IsActive() = 0;
    virtual bool Stop() = 0;
    virtual bool FadeStop() = 0;
    // Cuts the song short (mixed into nothing when mixing is on).
    virtual bool Skip() = 0;
};
