#pragma once

#include "Id3v2Fields.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// Audio facts and tags of the formats other than MPEG audio: FLAC, Ogg Vorbis, Opus,
// Ogg FLAC, M4A/AAC, and the RIFF INFO or ID3 tags of WAV files and the ASF tags of WMA
// files. TagLib does the reading and writing; nothing outside TagLibFile.cpp sees it.
struct TagLibFacts {
    enum Result : int {
        kRead = 0,
        kCannotOpen = 1,
        // Neither the name nor the bytes tell a format TagLib knows.
        kUnknownFormat = 6,
        // A known format whose headers do not read (a truncated or damaged file).
        kDamaged = 7
    };
    int result = kCannotOpen;
    // "FLAC", "Vorbis", "Opus", "M4A", "WAV", "WMA", ... (empty when not read).
    std::string format;
    bool lossless = false;
    std::int64_t durationMs = 0;
    int bitrateKbps = 0;
    int sampleRate = 0;
    int channels = 0;
    // Whether any of the texts below is set.
    bool hasTag = false;
    // The twelve texts in the program's ID3v2 shape: year and track as numbers in text
    // ("2004", "3"), the genre as the file holds it.
    Id3v2Fields fields;
};

class PosixFile;

namespace TagLibFile {

// Whether the file's name ends in an extension these readers own (".flac", ".ogg",
// ".oga", ".opus", ".m4a", ".mp4", ".aac", ".wma", ".asf", ... without regard to case).
// WAV is not among them: a WAV file may carry MPEG audio, which the frame reader knows.
bool OwnsExtension(std::string_view path);
// Whether the extension is one whose files may hold facts TagLib knows (OwnsExtension,
// and ".wav").
bool KnowsExtension(std::string_view path);

// The format's name when the path names a lossless format ("FLAC", "WAV", "AIFF",
// "APE", "WavPack"), else nullptr. A WAV file counts only with more bits per second than
// MPEG audio has (it may carry MPEG audio).
const char* LosslessName(std::string_view path, std::int64_t bitsPerSecond);

// Reads the file named name in the folder open as folderFd (AT_FDCWD: name is a path).
TagLibFacts Read(int folderFd, const char* name);
TagLibFacts Read(const std::string& path);
// The same on a file already open, of the given size; name gives the format by its
// extension.
TagLibFacts ReadFrom(const PosixFile& file, std::int64_t size, const char* name);
// The same over bytes in memory; nameHint gives the format by its extension (the bytes
// decide when it names none).
TagLibFacts ReadBytes(std::span<const std::uint8_t> bytes, const std::string& nameHint);

// All twelve fields for the tag editor, the track with its total ("3/12") where the file
// keeps one; false when the file does not read.
bool ReadAllFields(const std::string& path, Id3v2Fields& fields);

enum WriteResult : int { kWritten = 0, kWriteCannotOpen = 1, kWriteFailed = 2, kNothing = 3 };
// Writes the fields named by the bits of which (Id3v2Fields::Field) into the file's own
// tag, keeping every other field, picture and the audio: a copy of the file in its folder
// is written by TagLib and renamed over it. Fields already as asked write nothing.
int WriteChangedFields(const std::string& path, const Id3v2Fields& fields, unsigned which);

// The track gain on the ReplayGain scale (dB against 89 dB SPL, about -18 LUFS) from
// REPLAYGAIN_TRACK_GAIN, or from Opus R128_TRACK_GAIN (Q7.8 dB against -23 LUFS, so
// 5 dB more); nothing when the file has neither or cannot be read.
std::optional<double> TrackGainDb(const std::string& path);

} // namespace TagLibFile

// The same as TagLibFile::TrackGainDb, by the name the loudness rules call.
std::optional<double> TagLibTrackGainDb(const std::string& path);
