#include "media/GenreTable.h"

#include <gtest/gtest.h>

namespace {

TEST(GenreTableTest, NamesAreTheProgramsOwnSpelling) {
    EXPECT_EQ(GenreTable::Name(0), "Blues");
    EXPECT_EQ(GenreTable::Name(1), "ClassicRock");
    EXPECT_EQ(GenreTable::Name(17), "Rock");
    EXPECT_EQ(GenreTable::Name(78), "Rock&Roll");
    EXPECT_EQ(GenreTable::Name(79), "HardRock");
    EXPECT_EQ(GenreTable::Name(80), "Folk");
    EXPECT_EQ(GenreTable::Name(123), "Acapella");
    EXPECT_EQ(GenreTable::Name(136), "ChristianGanstaRap");
    EXPECT_EQ(GenreTable::Name(146), "Jpop");
    EXPECT_EQ(GenreTable::Name(147), "Synthpop");
    EXPECT_EQ(GenreTable::Name(148), "");
    EXPECT_EQ(GenreTable::Name(255), "");
    for (int i = 0; i < GenreTable::kCount; ++i) {
        EXPECT_EQ(GenreTable::Name(i).find(' '), std::string_view::npos) << i;
    }
}

TEST(GenreTableTest, LookupTakesTheFirstNameWithThePrefix) {
    EXPECT_EQ(GenreTable::IndexByPrefix("Rock"), 17);
    EXPECT_EQ(GenreTable::IndexByPrefix("rock&"), 78);
    EXPECT_EQ(GenreTable::IndexByPrefix("R"), 14);
    EXPECT_EQ(GenreTable::IndexByPrefix(""), 0);
    EXPECT_EQ(GenreTable::IndexByPrefix("SYNTHPOP"), 147);
    EXPECT_EQ(GenreTable::IndexByPrefix("(147)Synthpop"), 255);
    EXPECT_EQ(GenreTable::IndexByPrefix("Classic Rock"), 255);
}

TEST(GenreTableTest, NumericReferencesGiveTableNames) {
    EXPECT_EQ(GenreTable::NameForText("(17)"), "Rock");
    EXPECT_EQ(GenreTable::NameForText("17"), "Rock");
    EXPECT_EQ(GenreTable::NameForText("(17)Rock"), "Rock");
    EXPECT_EQ(GenreTable::NameForText("(200)"), "");
    EXPECT_EQ(GenreTable::NameForText("255"), "");
    EXPECT_EQ(GenreTable::NameForText("Chillwave"), "Chillwave");
    EXPECT_EQ(GenreTable::NameForText("(RX)"), "(RX)");
    EXPECT_EQ(GenreTable::NameForText("2Step"), "2Step");
    EXPECT_EQ(GenreTable::NameForText(""), "");
}

} // namespace
