#pragma once

#include "Id3v2Frame.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Reads and builds the data of the frames the program edits: text frames ("T..."),
// comments ("COMM", 2.2 "COM") and user links ("WXXX", 2.2 "WXX"). All texts are UTF-8.
//
// Text frame:  encoding(1) text [terminator, further values in 2.4]
// Comment:     encoding(1) language(3) description terminator text
// User link:   encoding(1) description terminator URL (always ISO-8859-1)
// Encodings: 0 ISO-8859-1, 1 UTF-16 with byte-order mark, 2 UTF-16BE, 3 UTF-8. The
// terminator is one zero byte for 0 and 3, and two zero bytes at an even offset for 1
// and 2.
namespace Id3v2FrameCodec {

struct Comment {
    std::string description;
    std::string text;
};

struct Link {
    std::string description;
    std::string url;
};

// True when the frame's data is compressed or encrypted and so cannot be decoded here.
bool IsOpaque(const Id3v2Frame& frame, int version);

// The frame's content without the grouping byte and data-length indicator that precede
// it; nothing for an opaque frame or one too short for its announced extras.
std::optional<std::span<const std::uint8_t>> Content(const Id3v2Frame& frame, int version);

// The first value of a text frame; nothing for an unknown encoding.
std::optional<std::string> DecodeTextFrame(std::span<const std::uint8_t> content);
// A comment; nothing when the content is too short or its encoding unknown. A
// description without a terminator (as older versions of this program wrote some
// frames) counts as empty and the bytes after the language as the text.
std::optional<Comment> DecodeComment(std::span<const std::uint8_t> content);
// A user link, read like a comment without the language.
std::optional<Link> DecodeLink(std::span<const std::uint8_t> content);

// Frame data for a text in the given tag version: ISO-8859-1 when the text fits,
// otherwise UTF-16 with a byte-order mark (2.3) or UTF-8 (2.4). No terminator.
std::vector<std::uint8_t> BuildTextFrame(std::string_view text, int version);
// Comment data with language "eng" and an empty description.
std::vector<std::uint8_t> BuildComment(std::string_view text, int version);
// User link data with an empty description; the URL is stored as ISO-8859-1.
std::vector<std::uint8_t> BuildLink(std::string_view url);

} // namespace Id3v2FrameCodec
