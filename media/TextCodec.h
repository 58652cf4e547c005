#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// Conversions between the 8-bit and 16-bit text forms found in music files and our
// archives and the UTF-8 the program keeps in memory. None of them throws on bad
// input: undecodable sequences become U+FFFD (decoding) or '?' (encoding to Latin-1).
namespace TextCodec {

// ISO-8859-1 bytes to UTF-8.
std::string Latin1ToUtf8(std::string_view latin1);

// Windows-1252 bytes to UTF-8 (0x80-0x9F map to the typographic characters of that
// code page; its five unassigned bytes map to the same code points as in Latin-1).
std::string Windows1252ToUtf8(std::string_view bytes);

// UTF-8 to ISO-8859-1; characters outside Latin-1 (and broken sequences) become '?'.
std::string Utf8ToLatin1(std::string_view utf8);

// True when every character of the UTF-8 text lies in ISO-8859-1.
bool FitsLatin1(std::string_view utf8);

// True when the bytes form well-formed UTF-8 (no overlongs, no surrogates).
bool IsValidUtf8(std::string_view bytes);

// UTF-16 code units to UTF-8; unpaired surrogates become U+FFFD. An odd trailing
// byte is ignored.
std::string Utf16ToUtf8(std::span<const std::uint8_t> bytes, bool bigEndian);

// UTF-8 to UTF-16 code units in the given byte order (no byte-order mark).
std::string Utf8ToUtf16(std::string_view utf8, bool bigEndian);

// Number of characters (code points) of a UTF-8 text.
std::size_t CharacterCount(std::string_view utf8);

// The first maxChars characters of a UTF-8 text, never cutting a character in two.
std::string TruncateCharacters(std::string_view utf8, std::size_t maxChars);

// The longest prefix of at most maxBytes bytes that does not cut a character in two.
std::string TruncateBytes(std::string_view utf8, std::size_t maxBytes);

// Appends the UTF-8 form of a code point.
void AppendUtf8(std::string& out, char32_t codePoint);

} // namespace TextCodec
