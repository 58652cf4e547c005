#include "catalogue/CWildcard.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A pattern with the texts it matches and the texts it does not.
struct Row {
    const char* pattern;
    std::vector<const char*> matching;
    std::vector<const char*> notMatching;
};

// Every element of the pattern language, with the cases around its edges.
const Row kTable[] = {
    // Plain characters and letter case.
    {"abc", {"abc", "ABC"}, {"abcd"}},
    {"ABC", {"abc"}, {}},
    {"abcd", {}, {"abc"}},
    {"", {""}, {"a"}},
    // Star: any run, also empty; the whole text must match.
    {"*", {"", "anything at all"}, {}},
    {"*beatles*", {"The Beatles - Let It Be"}, {}},
    {"*let?", {}, {"The Beatles - Let It Be"}},
    {"*be", {"The Beatles - Let It Be"}, {}},
    {"the*", {"The Beatles - Let It Be"}, {}},
    {"*a*b*", {"xaxxbx"}, {"xbxxax"}},
    {"a**b", {"ab"}, {}},
    {"*aab", {"aaaab"}, {}},
    {"*ab*ab", {"abxabab"}, {}},
    // Question mark: exactly one character (one UTF-8 character, not one byte).
    {"?", {"a", "é", "夜", "😀"}, {"", "ab"}},
    {"a?c", {"abc"}, {"ac"}},
    {"caf?", {"café"}, {}},
    {"??", {}, {"é"}},
    // Letters beyond ASCII compare without case.
    {"café", {"CAFÉ"}, {}},
    {"*björk*", {"BJÖRK - Jóga"}, {}},
    {"кино*", {"КИНО - Группа крови"}, {}},
    {"ελλάδα", {"ΕΛΛΆΔΑ"}, {}},
    // Sets and ranges.
    {"[A-C]*", {"Abba", "Beatles", "cream"}, {"Doors"}},
    {"[C-A]*", {"Beatles"}, {}},
    {"[a-c]x", {"Bx"}, {}},
    {"[abc]", {"b"}, {"d"}},
    {"[!abc]", {"d"}, {"a"}},
    {"[^abc]", {"d"}, {"A"}},
    {"[a-cx-z]", {"y"}, {"m"}},
    {"[\\]]", {"]"}, {}},
    {"[\\-]", {"-"}, {}},
    {"[-a]", {"-"}, {}},
    {"[\\!a]", {"!"}, {}},
    {"[é]", {"É"}, {}},
    {"[а-я]", {"Ж"}, {}},
    // Escapes outside sets.
    {"\\*", {"*"}, {"a"}},
    {"\\?", {"?"}, {"a"}},
    {"a\\[b", {"a[b"}, {}},
    {"\\a", {"A"}, {}},
    // Malformed patterns match nothing, not even themselves.
    {"[abc", {}, {"a", "[abc"}},
    {"[]", {}, {"", "[]"}},
    {"[!]", {}, {"a"}},
    {"[a-]", {}, {"a", "-"}},
    {"abc\\", {}, {"abc", "abc\\"}},
    {"*[a-", {}, {"xa"}},
    {"[a\\", {}, {"a"}},
};

TEST(WildcardTest, Table) {
    for (const Row& row : kTable) {
        for (const char* text : row.matching) {
            EXPECT_TRUE(WildcardMatch(row.pattern, text)) << row.pattern << " / " << text;
        }
        for (const char* text : row.notMatching) {
            EXPECT_FALSE(WildcardMatch(row.pattern, text)) << row.pattern << " / " << text;
        }
    }
}

TEST(WildcardTest, MalformedPatternsAreInvalid) {
    for (const char* pattern : {"[", "[]", "[^]", "[a-]", "\\", "[x-\\", "[]]"}) {
        EXPECT_FALSE(CWildcard(pattern).IsValid()) << pattern;
    }
    EXPECT_TRUE(CWildcard("a*[a-z]?\\*").IsValid());
}

// Both texts are cut to 2047 characters before matching: a text that differs only after
// that point matches, and a long pattern is cut the same way.
TEST(WildcardTest, LongTextsAreCutByCharacters) {
    const std::string head(CWildcard::kMaxCharacters, 'a');
    EXPECT_TRUE(WildcardMatch(head, head + "tail"));
    EXPECT_TRUE(WildcardMatch(head + "xyz", head));
    // Two-byte characters: the cut counts characters, so 2047 "é" still match 2047 "?".
    const std::string marks(CWildcard::kMaxCharacters, '?');
    std::string accents;
    while (accents.size() < 2 * CWildcard::kMaxCharacters) {
        accents += "é";
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

} // namespace
