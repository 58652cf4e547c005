#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

// A song's identity by content: its size and a hash of its first and last 64 KiB, so a
// file that is moved or renamed keeps its analysis while a changed one does not. Cheap
// enough to take before and after an analysis (two reads of 64 KiB).
namespace ContentFingerprint {

inline constexpr std::size_t kEdgeBytes = 64 * 1024;

// The fingerprint of a file of this size whose first and last bytes are given (the same
// bytes twice for a file of at most 64 KiB).
std::string OfEdges(std::int64_t size, std::span<const std::uint8_t> head,
                    std::span<const std::uint8_t> tail);

// The size and modification time (nanoseconds since 1970) of a regular file: the quick
// check before the fingerprint. False when the path is not a regular file.
bool StampOf(const std::string& path, std::int64_t& size, std::int64_t& mtimeNs);

// The fingerprint of the file at path; nothing when it cannot be read.
std::optional<std::string> OfFile(const std::string& path);

} // namespace ContentFingerprint
