#include "CTextCase.h"

#include "media/TextCodec.h"

namespace {

bool In(char32_t c, char32_t first, char32_t last) {
    return c >= first && c <= last;
}
bool IsEven(char32_t c) {
    return c % 2 == 0;
}

// Ranges where upper and lower case letters alternate: upper at even code points
// (Latin Extended-A and the Cyrillic supplements) or at odd ones.
char32_t LowerOfPairs(char32_t c) {
    const bool evenUpper = In(c, 0x100, 0x12F) || In(c, 0x132, 0x137) || In(c, 0x14A, 0x177) ||
                           In(c, 0x460, 0x481) || In(c, 0x48A, 0x4BF) || In(c, 0x4D0, 0x52F);
    const bool oddUpper = In(c, 0x139, 0x148) || In(c, 0x179, 0x17E) || In(c, 0x4C1, 0x4CE);
    if ((evenUpper && IsEven(c)) || (oddUpper && !IsEven(c))) {
        return c + 1;
    }
    return c;
}

char32_t UpperOfPairs(char32_t c) {
    const bool evenUpper = In(c, 0x101, 0x12F) || In(c, 0x133, 0x137) || In(c, 0x14B, 0x177) ||
                           In(c, 0x461, 0x481) || In(c, 0x48B, 0x4BF) || In(c, 0x4D1, 0x52F);
    const bool oddUpper = In(c, 0x13A, 0x148) || In(c, 0x17A, 0x17E) || In(c, 0x4C2, 0x4CE);
    if ((evenUpper && !IsEven(c)) || (oddUpper && IsEven(c))) {
        return c - 1;
    }
    return c;
}

} // namespace

char32_t CTextCase::ToLower(char32_t c) {
    if (In(c, 'A', 'Z') || (In(c, 0xC0, 0xDE) && c != 0xD7) || In(c, 0x391, 0x3A1) ||
        In(c, 0x3A3, 0x3AB) || In(c, 0x410, 0x42F)) {
        return c + 0x20;
    }
    switch (c) {
    case 0x178:
        return 0xFF; // Ÿ
    case 0x386:
        return 0x3AC; // Ά
    case 0x38C:
        return 0x3CC; // Ό
    case 0x4C0:
        return 0x4CF; // Ӏ
    default:
        break;
    }
    if (In(c, 0x388, 0x38A)) {
        return c + 0x25;
    }
    if (In(c, 0x38E, 0x38F)) {
        return c + 0x3F;
    }
    if (In(c, 0x400, 0x40F)) {
        return c + 0x50;
    }
    return LowerOfPairs(c);
}

char32_t CTextCase::ToUpper(char32_t c) {
    if (In(c, 'a', 'z') || (In(c, 0xE0, 0xFE) && c != 0xF7) || In(c, 0x3B1, 0x3C1) ||
        In(c, 0x3C3, 0x3CB) || In(c, 0x430, 0x44F)) {
        return c - 0x20;
    }
    switch (c) {
    case 0xFF:
        return 0x178;
    case 0x3AC:
        return 0x386;
    case 0x3C2:
        return 0x3A3; // final sigma
    case 0x3CC:
        return 0x38C;
    case 0x4CF:
        return 0x4C0;
    default:
        break;
    }
    if (In(c, 0x3AD, 0x3AF)) {
        return c - 0x25;
    }
    if (In(c, 0x3CD, 0x3CE)) {
        return c - 0x3F;
    }
    if (In(c, 0x450, 0x45F)) {
        return c - 0x50;
    }
    return UpperOfPairs(c);
}

std::size_t CTextCase::Decode(std::string_view utf8, std::size_t pos, char32_t& c) {
    const auto lead = static_cast<unsigned char>(utf8[pos]);
    if (lead < 0x80) {
        c = lead;
        return 1;
    }
    std::size_t length = 0;
    char32_t min = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, c = lead & 0x1Fu, min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, c = lead & 0x0Fu, min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, c = lead & 0x07u, min = 0x10000;
    } else {
        return 0;
    }
    if (pos + length > utf8.size()) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(utf8[pos + i]);
        if ((next & 0xC0) != 0x80) {
            return 0;
        }
        c = (c << 6) | (next & 0x3Fu);
    }
    if (c < min || c > 0x10FFFF || In(c, 0xD800, 0xDFFF)) {
        return 0;
    }
    return length;
}

std::string CTextCase::Map(std::string_view utf8, char32_t (*change)(char32_t)) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        char32_t c = 0;
        const std::size_t length = Decode(utf8, pos, c);
        if (length == 0) {
            out.push_back(utf8[pos++]);
            continue;
        }
        TextCodec::AppendUtf8(out, change(c));
        pos += length;
    }
    return out;
}

std::string CTextCase::ToLower(std::string_view utf8) {
    return Map(utf8, [](char32_t c) { return ToLower(c); });
}

std::string CTextCase::ToUpper(std::string_view utf8) {
    return Map(utf8, [](char32_t c) { return ToUpper(c); });
}

std::string CTextCase::ToTitleCase(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    bool startOfWord = true;
    for (std::size_t pos = 0; pos < utf8.size();) {
        char32_t c = 0;
        const std::size_t length = Decode(utf8, pos, c);
        if (length == 0) {
            out.push_back(utf8[pos++]);
            startOfWord = false;
            continue;
        }
        TextCodec::AppendUtf8(out, startOfWord ? ToUpper(ToLower(c)) : ToLower(c));
        startOfWord = c == ' ';
        pos += length;
    }
    return out;
}

bool CTextCase::StartsWithNoCase(std::string_view text, std::string_view lowerPrefix) {
    if (text.size() < lowerPrefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < lowerPrefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != lowerPrefix[i]) {
            return false;
        }
    }
    return true;
}
