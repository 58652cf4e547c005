#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

// Builders of ID3v2 bytes for tests, written independently of the program's parser.
namespace Id3v2Bytes {

using Bytes = std::vector<std::uint8_t>;

inline Bytes B(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

inline Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) {
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

// A size in four 7-bit groups, most significant first.
inline Bytes SevenBit(std::uint32_t n) {
    return {static_cast<std::uint8_t>((n >> 21) & 0x7F),
            static_cast<std::uint8_t>((n >> 14) & 0x7F), static_cast<std::uint8_t>((n >> 7) & 0x7F),
            static_cast<std::uint8_t>(n & 0x7F)};
}

// A plain big-endian number of width bytes.
inline Bytes Plain(std::uint32_t n, int width = 4) {
    Bytes out;
    for (int shift = 8 * (width - 1); shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(n >> shift));
    }
    return out;
}

// Encoding byte 0 followed by Latin-1 text.
inline Bytes Latin(std::string_view text) {
    return Cat({Bytes{0}, B(text)});
}

// A tag of a version with its header flags, a body and zero padding after it.
inline Bytes Tag(int version, std::uint8_t flags, const Bytes& body, std::size_t padding = 0) {
    Bytes out = Cat({B("ID3"), Bytes{static_cast<std::uint8_t>(version), 0, flags},
                     SevenBit(static_cast<std::uint32_t>(body.size() + padding)), body});
    out.resize(out.size() + padding, 0);
    return out;
}

} // namespace Id3v2Bytes
