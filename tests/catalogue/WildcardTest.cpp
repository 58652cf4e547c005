#include "catalogue/CWildcard.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Row {
    const char* pattern;
    const char* text;
    bool match;
};

// Every element of the pattern language, with the cases around its edges.
const Row kTable[] = {
    // Plain characters and letter case.
    {"abc", "abc", true},
    {"abc", "ABC", true},
    {"ABC", "abc", true},
    {"abc", "abcd", false},
    {"abcd", "abc", false},
    {"", "", true},
    {"", "a", false},
    // Star: any run, also empty; the whole text must match.
    {"*", "", true},
    {"*", "anything at all", true},
    {"*beatles*", "The Beatles - Let It Be", true},
    {"*let?", "The Beatles - Let It Be", false},
    {"*be", "The Beatles - Let It Be", true},
    {"the*", "The Beatles - Let It Be", true},
    {"*a*b*", "xaxxbx", true},
    {"*a*b*", "xbxxax", false},
    {"a**b", "ab", true},
    {"*aab", "aaaab", true},
    {"*ab*ab", "abxabab", true},
    // Question mark: exactly one character (one UTF-8 character, not one byte).
    {"?", "", false},
    {"?", "a", true},
    {"?", "ab", false},
    {"a?c", "abc", true},
    {"a?c", "ac", false},
    {"caf?", "café", true},
    {"?", "é", true},
    {"??", "é", false},
    {"?", "夜", true},
    {"?", "😀", true},
    // Letters beyond ASCII compare without case.
    {"café", "CAFÉ", true},
    {"*björk*", "BJÖRK - Jóga", true},
    {"кино*", "КИНО - Группа крови", true},
    {"ελλάδα", "ΕΛΛΆΔΑ", true},
    // Sets and ranges.
    {"[A-C]*", "Abba", true},
    {"[A-C]*", "Beatles", true},
    {"[A-C]*", "cream", true},
    {"[A-C]*", "Doors", false},
    {"[C-A]*", "Beatles", true},
    {"[a-c]x", "Bx", true},
    {"[abc]", "b", true},
    {"[abc]", "d", false},
    {"[!abc]", "d", true},
    {"[!abc]", "a", false},
    {"[^abc]", "d", true},
    {"[^abc]", "A", false},
    {"[a-cx-z]", "y", true},
    {"[a-cx-z]", "m", false},
    {"[\\]]", "]", true},
    {"[\\-]", "-", true},
    {"[-a]", "-", true},
    {"[\\!a]", "!", true},
    {"[é]", "É", true},
    {"[а-я]", "Ж", true},
    // Escapes outside sets.
    {"\\*", "*", true},
    {"\\*", "a", false},
    {"\\?", "?", true},
    {"\\?", "a", false},
    {"a\\[b", "a[b", true},
    {"\\a", "A", true},
    // Malformed patterns match nothing, not even themselves.
    {"[abc", "a", false},
    {"[abc", "[abc", false},
    {"[]", "", false},
    {"[]", "[]", false},
    {"[!]", "a", false},
    {"[a-]", "a", false},
    {"[a-]", "-", false},
    {"abc\\", "abc", false},
    {"abc\\", "abc\\", false},
    {"*[a-", "xa", false},
    {"[a\\", "a", false},
};

TEST(WildcardTest, Table) {
    for (const Row& row : kTable) {
        EXPECT_EQ(WildcardMatch(row.pattern, row.text), row.match)
            << "pattern '" << row.pattern << "' text '" << row.text << "'";
    }
}

TEST(WildcardTest, MalformedPatternsAreInvalid) {
    for (const char* pattern : {"[", "[]", "[^]", "[a-]", "\\", "[x-\\"}) {
        EXPECT_FALSE(CWildcard(pattern).IsValid()) << pattern;
    }
    EXPECT_FALSE(CWildcard("[]]").IsValid());
    EXPECT_TRUE(CWildcard("a*[a-z]?\\*").IsValid());
}

// Both texts are cut to 2047 characters before matching: a text that differs only after
// that point matches, and a long pattern is cut the same way.
TEST(WildcardTest, LongTextsAreCutByCharacters) {
    const std::string head(CWildcard::kMaxCharacters, 'a');
    EXPECT_TRUE(WildcardMatch(head, head + "tail"));
    EXPECT_TRUE(WildcardMatch(head + "xyz", head));
    // Two-byte characters: the cut counts characters, so 2047 "é" still match 2047 "?".
    std::string accents;
    std::string marks;
    for (std::size_t i = 0; i < CWildcard::kMaxCharacters; ++i) {
        accents += "é";
        marks += "?";
    }
    EXPECT_TRUE(WildcardMatch(marks, accents + "é"));
    EXPECT_FALSE(WildcardMatch(marks.substr(1), accents));
}

// Bytes that are not UTF-8 count as one character each and match only themselves.
TEST(WildcardTest, InvalidUtf8BytesAreCharactersOfTheirOwn) {
    EXPECT_TRUE(WildcardMatch("a?b", "a\xE9"
                                     "b"));
    EXPECT_TRUE(WildcardMatch("a\xE9*", "a\xE9xyz"));
    EXPECT_FALSE(WildcardMatch("a\xE9", "a\xC9"));
    EXPECT_FALSE(WildcardMatch("??", "\xC3"));
}

TEST(WildcardTest, CompiledPatternMatchesManyTexts) {
    const CWildcard wildcard("*mid*rain*");
    EXPECT_TRUE(wildcard.Match("Midnight Rain"));
    EXPECT_TRUE(wildcard.Match("a MID b RAIN"));
    EXPECT_FALSE(wildcard.Match("Rain at Midnight"));
    EXPECT_TRUE(wildcard.Match("midrain"));
}

} // namespace
