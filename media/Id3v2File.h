#pragma once

#include "Id3v2Fields.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

// Reading, writing and blanking the ID3v2 tag (version 2.2, 2.3 or 2.4) at the start of
// a music file. Each call answers one of the result codes below; nothing throws.
namespace Id3v2 {

enum ReadResult : int {
    kRead = 0,
    kCannotOpen = 1,
    kNoHeader = 2,
    kBadExtendedHeader = 3,
    kNoFrame = 4
};

enum WriteResult : int {
    kWritten = 0,
    kTempCreateFailed = 2,
    kTempWriteFailed = 3,
    kOpenFailed = 4,
    kCopyFailed = 5,
    kReplaceFailed = 6,
    kFileChanged = 7,
    kInPlaceOpenFailed = 10,
    kInPlaceShortWrite = 11
};

enum BlankResult : int { kBlanked = 0, kBlankOpenFailed = 1, kBlankTooShort = 2 };

// Reads the twelve fields of the file's tag. The fields are cleared first, so on any
// failure they are all empty.
int ReadTag(const std::string& path, Id3v2Fields& fields);

// Writes the twelve fields into the file's tag, keeping every other frame. The tag is
// rewritten in place when it does not grow; otherwise the file is rewritten through a
// temporary file renamed over it. On failure the file is left as it was.
int WriteTag(const Id3v2Fields& fields, const std::string& path);

// Writes only the fields named by the Id3v2Fields::Field bits: each replaces the frame
// that held it, an empty value removes it, and every other frame keeps its bytes. No bit
// set, or a file without a tag given only empty values, writes nothing. Same file rules
// and results as WriteTag.
int WriteChangedFields(const Id3v2Fields& fields, unsigned which, const std::string& path);

// Zeroes the body of the file's tag in place; header and file length stay.
int BlankTag(const std::string& path);

// Length in bytes of the ID3v2 tag that starts the buffer (10-byte header + body + 10-byte
// footer when flagged), 0 when the buffer does not start with a valid ID3v2 header
// ("ID3", major version 2, 3 or 4, revision != 0xFF, size bytes < 0x80). Needs >= 10 bytes.
std::size_t TagLengthAt(std::span<const std::uint8_t> head);

// Parses a whole tag held in memory from its first byte; same results as ReadTag.
int ReadTagFromBytes(std::span<const std::uint8_t> tagBytes, Id3v2Fields& fields);

// Tests only: called by WriteTag just before it checks that the file is unchanged and
// writes (in place) or renames (rewrite). An empty function removes the hook.
void SetBeforeReplaceHookForTests(std::function<void()> hook);

} // namespace Id3v2
