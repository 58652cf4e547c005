#pragma once

#include <cstdint>
#include <string>

class CPlayer;

// What the active player plays, as the desktop's media controls see it: the state, the
// song started last (its tags, else its title) with its file, position and length.
struct CNowPlaying {
    enum Status : int { kStopped = 0, kPlaying, kPaused };

    Status status = kStopped;
    std::string strTitle;
    std::string strArtist;
    std::string strAlbum;
    std::string strPath;
    std::int64_t nLengthUs = 0;
    std::int64_t nPositionUs = 0;
    // Counts the songs started in the run: a new value is a new track.
    std::uint64_t nTrack = 0;
    bool bCanGoNext = false;

    // The player's state and the last song of the played songs; looping tells whether a
    // loop or a region plays (Next then has a song to go to).
    static CNowPlaying Read(CPlayer& player, bool looping);
    static const char* StatusText(Status status);
    // Everything but the position, which moves by itself.
    bool SameAs(const CNowPlaying& other) const;
};
