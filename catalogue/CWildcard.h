#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// A title pattern of the filter, compiled once and matched against many titles. The
// whole text must match the whole pattern; letters compare without case, and both are
// cut to kMaxCharacters characters (UTF-8 characters, not bytes).
//
//   *          any run of characters, also an empty one
//   ?          exactly one character
//   [set]      one character of the set: single characters and ranges a-b (either
//              order); "!" or "^" first negates the set; "\" takes the next one literally
//   \c         the character c literally
//   other      itself
//
// A malformed pattern (an unclosed "[", an empty set, a range without its end, a "\" at
// the end) matches nothing.
class CWildcard {
public:
    static constexpr std::size_t kMaxCharacters = 2047;

    explicit CWildcard(std::string_view pattern);

    bool IsValid() const { return m_bValid; }
    bool Match(std::string_view text) const;

    // The characters of a UTF-8 text in upper case, at most kMaxCharacters; a byte that
    // does not begin a valid sequence stands for itself as a character of its own.
    static void Decode(std::string_view utf8, std::u32string& out);

private:
    enum Kind : unsigned char { kLiteral, kAny, kStar, kSet };
    struct Element {
        Kind kind = kLiteral;
        bool negated = false;
        char32_t c = 0;
        // Index of the set's first range in m_ranges and their count.
        std::size_t first = 0;
        std::size_t count = 0;
    };
    struct Range {
        char32_t low;
        char32_t high;
    };

    bool Parse(const std::u32string& pattern);
    bool ElementMatches(const Element& element, char32_t c) const;

    std::vector<Element> m_elements;
    std::vector<Range> m_ranges;
    bool m_bValid = false;
};

// Matches one text against one pattern (see CWildcard).
bool WildcardMatch(std::string_view pattern, std::string_view text);
