#include "media/GenreTable.h"

#include <gtest/gtest.h>

namespace {

TEST(GenreTableTest, NamesPrefixLookupsAndNumericReferences) {
    const std::pair<int, std::string_view> names[] = {
        {0, "Blues"},     {1, "ClassicRock"}, {17, "Rock"},      {78, "Rock&Roll"},
        {79, "HardRock"}, {80, "Folk"},       {123, "Acapella"}, {136, "ChristianGanstaRap"},
        {146, "Jpop"},    {147, "Synthpop"},  {148, ""},         {255, ""}};
    for (const auto& [index, name] : names) {
        EXPECT_EQ(GenreTable::Name(index), name) << index;
    }
    for (int i = 0; i < GenreTable::kCount; ++i) {
        EXPECT_EQ(GenreTable::Name(i).find(' '), std::string_view::npos) << i;
    }
    // A lookup takes the first name with the prefix.
    const std::pair<const char*, int> prefixes[] = {
        {"Rock", 17},           {"rock&", 78},        {"R", 14}, {"", 0}, {"SYNTHPOP", 147},
        {"(147)Synthpop", 255}, {"Classic Rock", 255}};
    for (const auto& [prefix, index] : prefixes) {
        EXPECT_EQ(GenreTable::IndexByPrefix(prefix), index) << prefix;
    }
    // Numeric references give table names.
    const std::pair<const char*, const char*> texts[] = {
        {"(17)", "Rock"}, {"17", "Rock"},     {"(17)Rock", "Rock"},
        {"(200)", ""},    {"255", ""},        {"Chillwave", "Chillwave"},
        {"(RX)", "(RX)"}, {"2Step", "2Step"}, {"", ""}};
    for (const auto& [text, name] : texts) {
        EXPECT_EQ(GenreTable::NameForText(text), name) << text;
    }
}

} // namespace
