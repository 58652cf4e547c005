#pragma once

#include "CPlaylistContent.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class CArchiveReader;
class CArchiveWriter;

// The playlist file (".qmx"), in the archive encodings of CArchiveWriter.h:
//
//   signature   text       "qmx201-4" when written
//   count       32-bit     number of records
//   records     count x CSong's stored record (see CSong.cpp)
//   alarm       date/time  status null when no alarm is set
//   locked      32-bit     1 locked, 0 not       (read only for "qmx201-2" and "qmx201-4")
//   disabled    32-bit     1 player commands disabled, 0 not   (read only for "qmx201-4")
//
// A file is accepted when its signature begins with "qmx201" in any letter case; the
// flags are read only for the exact signatures named above, and bytes after the last
// item read are ignored. Reading never changes the content it is given unless it
// succeeds; loaded records have fresh identities.
class CPlaylistFile {
public:
    enum Result : int {
        kOk = 0,
        kCannotOpen = 1,     // the file cannot be opened or read
        kWrongSignature = 2, // not a playlist file
        kTruncated = 3,      // the data ends before an item is complete
        kDamaged = 4,        // an item holds a value no playlist has
        kTooLarge = 5,       // larger than any playlist we read
        kCannotWrite = 6,    // the file could not be written; the old one is untouched
        kOutOfMemory = 7
    };

    static constexpr std::string_view kSignature = "qmx201-4";
    static constexpr std::string_view kSignatureLockOnly = "qmx201-2";
    static constexpr std::string_view kSignaturePrefix = "qmx201";
    static constexpr std::int64_t kMaxFileSize = std::int64_t{1} << 30;
    // The fewest bytes one stored record can take (older form, empty texts).
    static constexpr std::size_t kMinRecordSize = 1 + 1 + 12 + 10 * 4 + CSong::kTagSize;

    static int Parse(std::span<const std::uint8_t> bytes, CPlaylistContent& content);
    // A 32-bit count and that many song records (the song clipboard holds the same).
    static int ReadRecords(CArchiveReader& ar, std::vector<CSong>& songs);
    // Reads the whole file at once and parses it.
    static int Read(const std::string& path, CPlaylistContent& content);

    // For a writer that walks its own list: the head, then each record's Serialize,
    // then the tail.
    static void WriteHead(CArchiveWriter& ar, std::uint32_t count);
    static void WriteTail(CArchiveWriter& ar, const CDateTime& alarm, bool locked,
                          bool playerCommandsDisabled);
    // The whole file for a content (its signature field is not used).
    static std::vector<std::uint8_t> Build(const CPlaylistContent& content);
    // Writes through a temporary file renamed into place.
    static int Save(const std::string& path, const CArchiveWriter& ar);
    static int Write(const std::string& path, const CPlaylistContent& content);

    // A sentence for the user about a result code.
    static const char* ResultText(int result);

private:
    static int ArchiveResult(const CArchiveReader& ar);
    static int SaveBytes(const std::string& path, std::span<const std::uint8_t> bytes);
};
