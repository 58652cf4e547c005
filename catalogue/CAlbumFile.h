#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The album file (".qma", also the default album "default.qms"): the playlists that were
// open, in the archive encodings of CArchiveWriter.h:
//
//   signature   text     "qmx-p" (letter case counts)
//   count       32-bit   number of paths
//   paths       count texts, the full path of each playlist file in the order opened
//
// Bytes after the last path are ignored.
class CAlbumFile {
public:
    enum Result : int {
        kOk = 0,
        kCannotOpen = 1,     // the file cannot be opened or read
        kWrongSignature = 2, // not an album file
        kTruncated = 3,      // the data ends before an item is complete
        kDamaged = 4,        // an item holds a value no album has
        kTooLarge = 5,       // larger than any album we read
        kCannotWrite = 6,    // the file could not be written; the old one is untouched
        kOutOfMemory = 7
    };

    static constexpr std::string_view kSignature = "qmx-p";
    static constexpr std::string_view kDefaultFileName = "default.qms";
    static constexpr std::int64_t kMaxFileSize = std::int64_t{64} << 20;

    // Reads the paths; on a failure paths holds those read before it.
    static int Parse(std::span<const std::uint8_t> bytes, std::vector<std::string>& paths);
    static int Read(const std::string& path, std::vector<std::string>& paths);
    static std::vector<std::uint8_t> Build(const std::vector<std::string>& paths);
    // Writes through a temporary file renamed into place.
    static int Write(const std::string& path, const std::vector<std::string>& paths);

    // Program folder + "/default.qms".
    static std::string DefaultPath();
    // A sentence for the user about a result code.
    static const char* ResultText(int result);
};
