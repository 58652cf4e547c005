#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The 148 ID3v1 genre names, indices 0-147, in the program's own spelling (names
// without blanks: "ClassicRock", "Rock&Roll", ...). Index 255 means no genre.
class GenreTable {
public:
    static constexpr int kCount = 148;
    static constexpr std::uint8_t kNone = 255;

    // The table name of an index 0-147; empty for any other index.
    static std::string_view Name(int index);
    // The first index, in table order, whose name begins with the given text, compared
    // without case ("Rock" gives 17, "R" gives 14); only the first 31 characters of the
    // text count. An empty text gives 0; no match gives 255.
    static std::uint8_t IndexByPrefix(std::string_view name);
    // A genre number written as "(17)", "17" or "(17)Rock": the number, or -1 when the
    // text does not begin with such a reference.
    static int NumericReference(std::string_view text);
    // The name to show for a stored genre text: the table name of a numeric reference
    // (empty when the number has no name), otherwise the text itself.
    static std::string NameForText(std::string_view text);
};
