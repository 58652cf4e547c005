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
    // Room for a track with its total, "255/255".
    static constexpr std::size_t kTrackCapacity = 7;
    static constexpr std::size_t kGenreCapacity = 511;

    // One bit per field, to write only some of them.
    enum Field : unsigned {
        kTitle = 1u << 0,
        kArtist = 1u << 1,
        kAlbum = 1u << 2,
        kYear = 1u << 3,
        kComment = 1u << 4,
        kTrack = 1u << 5,
        kGenre = 1u << 6,
        kCopyright = 1u << 7,
        kOriginalArtist = 1u << 8,
        kUrl = 1u << 9,
        kEncodedBy = 1u << 10,
        kComposer = 1u << 11,
        kAllFields = (1u << 12) - 1
    };

    void Clear();
};
