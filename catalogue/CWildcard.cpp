#include "CWildcard.h"

#include "CTextCase.h"

#include <optional>
#include <string>
#include <utility>

namespace {

// Bytes that do not begin a valid sequence become these values, which no valid UTF-8
// text decodes to (lone surrogates), so they match only themselves.
constexpr char32_t kRawByteBase = 0xDC00;

// Decodes the character at pos; answers its length (0 for an invalid sequence).
std::size_t DecodeOne(std::string_view text, std::size_t pos, char32_t& c) {
    const auto b0 = static_cast<unsigned char>(text[pos]);
    if (b0 < 0x80) {
        c = b0;
        return 1;
    }
    std::size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
        value = b0 & 0x1F;
        minimum = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        value = b0 & 0x0F;
        minimum = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        value = b0 & 0x07;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (text.size() - pos < length) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto b = static_cast<unsigned char>(text[pos + i]);
        if ((b & 0xC0) != 0x80) {
            return 0;
        }
        value = (value << 6) | (b & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return 0;
    }
    c = value;
    return length;
}

} // namespace

void CWildcard::Decode(std::string_view utf8, std::u32string& out) {
    out.clear();
    std::size_t pos = 0;
    while (pos < utf8.size() && out.size() < kMaxCharacters) {
        // Most titles are mostly ASCII: their case needs no table.
        const auto byte = static_cast<unsigned char>(utf8[pos]);
        if (byte < 0x80) {
            out.push_back(byte >= 'a' && byte <= 'z' ? byte - ('a' - 'A') : byte);
            ++pos;
            continue;
        }
        char32_t c = 0;
        const std::size_t length = DecodeOne(utf8, pos, c);
        if (length == 0) {
            out.push_back(kRawByteBase + static_cast<unsigned char>(utf8[pos]));
            ++pos;
        } else {
            out.push_back(CTextCase::ToUpper(c));
            pos += length;
        }
    }
}

CWildcard::CWildcard(std::string_view pattern) {
    std::u32string chars;
    Decode(pattern, chars);
    m_bValid = Parse(chars);
    if (!m_bValid) {
        m_elements.clear();
        m_ranges.clear();
    }
}

bool CWildcard::Parse(const std::u32string& p) {
    std::size_t i = 0;
    while (i < p.size()) {
        Element element;
        const char32_t c = p[i++];
        if (c == U'*') {
            // Runs of stars match what one star matches.
            if (!m_elements.empty() && m_elements.back().kind == kStar) {
                continue;
            }
            element.kind = kStar;
        } else if (c == U'?') {
            element.kind = kAny;
        } else if (c == U'\\') {
            if (i == p.size()) {
                return false;
            }
            element.c = p[i++];
        } else if (c == U'[') {
            element.kind = kSet;
            element.first = m_ranges.size();
            if (i < p.size() && (p[i] == U'!' || p[i] == U'^')) {
                element.negated = true;
                ++i;
            }
            bool closed = false;
            while (i < p.size()) {
                char32_t low = p[i++];
                if (low == U']') {
                    closed = true;
                    break;
                }
                if (low == U'\\') {
                    if (i == p.size()) {
                        return false;
                    }
                    low = p[i++];
                }
                char32_t high = low;
                if (i < p.size() && p[i] == U'-') {
                    ++i;
                    if (i == p.size() || p[i] == U']') {
                        return false; // a range without its end
                    }
                    high = p[i++];
                    if (high == U'\\') {
                        if (i == p.size()) {
                            return false;
                        }
                        high = p[i++];
                    }
                    if (high < low) {
                        std::swap(low, high);
                    }
                }
                m_ranges.push_back(Range{low, high});
            }
            element.count = m_ranges.size() - element.first;
            if (!closed || element.count == 0) {
                return false;
            }
        } else {
            element.c = c;
        }
        m_elements.push_back(element);
    }
    return true;
}

bool CWildcard::ElementMatches(const Element& element, char32_t c) const {
    switch (element.kind) {
    case kLiteral:
        return element.c == c;
    case kAny:
        return true;
    case kSet: {
        bool found = false;
        for (std::size_t r = element.first; r < element.first + element.count; ++r) {
            if (c >= m_ranges[r].low && c <= m_ranges[r].high) {
                found = true;
                break;
            }
        }
        return found != element.negated;
    }
    case kStar:
        break;
    }
    return false;
}

// Greedy matching that remembers the last star: on a mismatch the star takes one more
// character and matching resumes after it. Earlier stars never need to be revisited, so
// the work is bounded by pattern length times text length, and is linear in practice.
bool CWildcard::Match(std::string_view utf8) const {
    if (!m_bValid) {
        return false;
    }
    thread_local std::u32string text;
    Decode(utf8, text);
    std::size_t t = 0;
    std::size_t e = 0;
    std::size_t starElement = std::u32string::npos;
    std::size_t starText = 0;
    while (t < text.size()) {
        if (e < m_elements.size() && m_elements[e].kind == kStar) {
            starElement = e++;
            starText = t;
        } else if (e < m_elements.size() && ElementMatches(m_elements[e], text[t])) {
            ++e;
            ++t;
        } else if (starElement != std::u32string::npos) {
            e = starElement + 1;
            t = ++starText;
        } else {
            return false;
        }
    }
    while (e < m_elements.size() && m_elements[e].kind == kStar) {
        ++e;
    }
    return e == m_elements.size();
}

// A filter matches one pattern against many titles: the last pattern stays compiled.
bool WildcardMatch(std::string_view pattern, std::string_view text) {
    thread_local std::string lastPattern;
    thread_local std::optional<CWildcard> compiled;
    if (!compiled || pattern != lastPattern) {
        compiled.emplace(pattern);
        lastPattern.assign(pattern);
    }
    return compiled->Match(text);
}
