#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

// The ReplayGain track gain a song's tags carry: the ID3v2 user text frame (TXXX, 2.2
// TXX) described "REPLAYGAIN_TRACK_GAIN", whose value reads like "-7.41 dB"; for FLAC,
// Ogg, Opus, M4A and the other formats TagLib reads, their own tags (TagLibFile).
namespace ReplayGain {

// The gain in dB from the file's own tags (by its extension) or the ID3v2 tag at its start; nothing
// when the file has no such frame or its value is not a number.
std::optional<double> TrackGainDbOf(const std::string& path);

// The same from a whole ID3v2 tag held in memory (from its header on).
std::optional<double> TrackGainDbFromId3v2(std::span<const std::uint8_t> tagBytes);

// "-7.41 dB", "+3 dB", "2.5": the number; nothing for anything else.
std::optional<double> ParseGainText(const std::string& text);

} // namespace ReplayGain
