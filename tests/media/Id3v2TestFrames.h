#pragma once

#include "media/Id3v2Fields.h"
#include "support/Id3v2Bytes.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Frame builders and field helpers shared by the ID3v2 tests, written independently of
// the program's parser.
namespace Id3v2Bytes {

// A frame of a tag version: 2.2 with three-byte sizes, 2.3 with plain and 2.4 with 7-bit
// sizes (both with status and format bytes).
inline Bytes Frame(int version, std::string_view id, const Bytes& data, std::uint8_t format = 0) {
    const auto size = static_cast<std::uint32_t>(data.size());
    if (version == 2) {
        return Cat({B(id), Plain(size, 3), data});
    }
    return Cat({B(id), version == 4 ? SevenBit(size) : Plain(size), Bytes{0, format}, data});
}

// Body of a comment frame in Latin-1: language, description, text.
inline Bytes Comment(std::string_view text, std::string_view description = {}) {
    return Cat({Bytes{0}, B("eng"), B(description), Bytes{0}, B(text)});
}

// Unsynchronisation: a zero byte after every 0xFF that precedes 0xE0 or more, a zero
// byte, or the end.
inline Bytes Unsync(const Bytes& in) {
    Bytes out;
    for (std::size_t i = 0; i < in.size(); ++i) {
        out.push_back(in[i]);
        if (in[i] == 0xFF && (i + 1 == in.size() || in[i + 1] >= 0xE0 || in[i + 1] == 0)) {
            out.push_back(0);
        }
    }
    return out;
}

// A 2.4 tag with a footer: the header copied behind the body as "3DI".
inline Bytes Footed(const Bytes& body, std::size_t padding) {
    Bytes tag = Tag(4, 0x10, body, padding);
    Bytes footer(tag.begin(), tag.begin() + 10);
    footer[0] = '3';
    footer[1] = 'D';
    footer[2] = 'I';
    return Cat({tag, footer});
}

// The twelve texts in their declared order, to compare whole records at once.
inline std::vector<std::string> Texts(const Id3v2Fields& f) {
    return {f.title, f.artist,    f.album,          f.year, f.comment,   f.track,
            f.genre, f.copyright, f.originalArtist, f.url,  f.encodedBy, f.composer};
}

} // namespace Id3v2Bytes
