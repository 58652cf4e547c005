#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The twelve texts of an ID3v2 tag that the program shows and edits, all UTF-8.
struct Id3v2Fields {
    std::string title, artist, album, year, comment, track, genre, copyright, originalArtist, url,
        encodedBy, composer;
    std::int32_t tagSize = 0; // size from the tag header

    // Most characters a field keeps; longer texts are cut when read or written.
    static constexpr std::size_t kTextCapacity = 1023;
    static constexpr std::size_t kYearCapacity = 4;
    static constexpr std::size_t kTrackCapacity = 3;
    static constexpr std::size_t kGenreCapacity = 511;

    void Clear();
};
