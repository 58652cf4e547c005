#pragma once

#include <string>
#include <string_view>

// Letter case of UTF-8 texts without a locale: ASCII, Latin-1 Supplement, Latin
// Extended-A, Greek and Cyrillic letters change case; every other character, and every
// byte that is not part of a valid sequence, is kept as it is.
class CTextCase {
public:
    static char32_t ToLower(char32_t c);
    static char32_t ToUpper(char32_t c);

    static std::string ToLower(std::string_view utf8);
    static std::string ToUpper(std::string_view utf8);
    // True when text begins with prefix, ASCII letters of text compared in lower case
    // (prefix is given in lower case).
    static bool StartsWithNoCase(std::string_view text, std::string_view lowerPrefix);
    // The whole text in lower case, then its first character and every character after
    // a space in upper case: "THE beatles" gives "The Beatles".
    static std::string ToTitleCase(std::string_view utf8);

private:
    static std::string Map(std::string_view utf8, char32_t (*change)(char32_t));
    // Decodes the character at pos; answers its length, 0 for a byte that does not start
    // a valid sequence.
    static std::size_t Decode(std::string_view utf8, std::size_t pos, char32_t& c);
};
