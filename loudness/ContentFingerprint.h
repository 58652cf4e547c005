#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

// A song's identity by content: its size and a hash of its first, middle and last 64 KiB,
// so a file that is moved or renamed keeps its analysis while a changed one does not.
// (The middle block tells apart songs of equal length whose edges are both digital
// silence, as generated and ripped WAV files often are.) Cheap enough to take before and
// after an analysis: three reads of 64 KiB.
namespace ContentFingerprint {

inline constexpr std::size_t kEdgeBytes = 64 * 1024;

// The fingerprint of a file of this size from its first, middle and last bytes (the
// same bytes three times for a file of at most 64 KiB).
std::string OfBlocks(std::int64_t size, std::span<const std::uint8_t> head,
                     std::span<const std::uint8_t> middle, std::span<const std::uint8_t> tail);

// The size and modification time (nanoseconds since 1970) of a regular file: the quick
// check before the fingerprint. False when the path is not a regular file.
bool StampOf(const std::string& path, std::int64_t& size, std::int64_t& mtimeNs);

// The fingerprint of the file at path; nothing when it cannot be read.
std::optional<std::string> OfFile(const std::string& path);

} // namespace ContentFingerprint
