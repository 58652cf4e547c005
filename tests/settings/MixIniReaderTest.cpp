#include "settings/CMixIniReader.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using Steps = std::vector<std::int32_t>;

std::vector<std::uint8_t> Bytes(const std::string& text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

std::vector<MixType> Parse(const std::string& text) {
    return CMixIniReader::Parse(Bytes(text));
}

TEST(MixIniTokenTest, LinesSplitIntoSteps) {
    const std::pair<const char*, Steps> cases[] = {
        // Blanks and commas separate in any run.
        {"1000, 800 600,,400\n", {1000, 800, 600, 400}},
        {"  , 5 ,\t6\n", {5, 6}},
        // A separator before the line break gives a step of zero...
        {"1000, 800 600,,400,\n", {1000, 800, 600, 400, 0}},
        {"1000 \n", {1000, 0}},
        // ...but without a line break (last line of a file) nothing follows it.
        {"1000 ", {1000}},
        // A tab does not separate.
        {"100\t200\n", {100}},
        {"\t300,\t400\n", {300, 400}},
        // A line break alone is one step of zero.
        {"\n", {0}},
        {"", {}},
        {" ,, ", {}},
    };
    for (const auto& [line, steps] : cases) {
        EXPECT_EQ(CMixIniReader::ParseSteps(line), steps) << line;
    }
}

TEST(MixIniTokenTest, StepsFollowAtolRulesAndSaturate) {
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    const std::pair<const char*, std::int32_t> cases[] = {
        {"12abc", 12},         {"abc", 0},
        {"-250", -250},        {"+75\n", 75},
        {"\t\v\f\r 9", 9},     {"--5", 0},
        {"0x1F", 0},           {"1e3", 1},
        {"2147483647", kMax},  {"99999999999999999999", kMax},
        {"-2147483648", kMin}, {"-99999999999999999999", kMin},
    };
    for (const auto& [text, step] : cases) {
        EXPECT_EQ(CMixIniReader::ParseStep(text), step) << text;
    }
}

TEST(MixIniRecordTest, RecordsOfThreeLinesInFileOrder) {
    using Types = std::vector<MixType>;
    const std::pair<std::string, Types> cases[] = {
        {"Fast\n500, 1000\n500, 0\nSlow one\n250,500,750,1000\n0\n",
         {{"Fast", {500, 1000}, {500, 0}}, {"Slow one", {250, 500, 750, 1000}, {0}}}},
        // The name loses its line breaks only.
        {"  Spaced\r name\t\r\n1\n0\n", {{"  Spaced name\t", {1}, {0}}}},
        {"Windows\r\n1000, 500,\r\n0\r\n", {{"Windows", {1000, 500, 0}, {0}}}},
        // An incomplete last record is dropped.
        {"A\n1\n0\nB\n5\n", {{"A", {1}, {0}}}},
        {"A\n1\n0\nB\n", {{"A", {1}, {0}}}},
        {"A\n1\n0", {{"A", {1}, {0}}}},
        {"A\n1\n", {}},
        {"", {}},
        // A single blank line is only a name; three are a nameless record.
        {"\n", {}},
        {"\n\n\n", {{"", {0}, {0}}}},
        // A zero byte ends the text of its line.
        {std::string("Na\0me\n10\0 20\n0\n", 15), {{"Na", {10}, {0}}}},
    };
    for (const auto& [text, types] : cases) {
        EXPECT_EQ(Parse(text), types) << text;
    }
}

// Lines are read in pieces of at most 4095 characters; the rest of a longer line is
// read as the next line.
TEST(MixIniLineLengthTest, LongLinesContinueAsTheNextLine) {
    std::string sevens; // "7," repeated: 2500 tokens in 5000 characters
    for (int i = 0; i < 2500; ++i) {
        sevens += "7,";
    }
    // The first 4095 characters hold 2048 tokens (the last "7" without its comma); the
    // rest, ",7,7,...,7,\n", gives 452 tokens of 7 and the break's 0.
    Steps rest(452, 7);
    rest.push_back(0);
    struct Case {
        const char* name;
        std::string text;
        std::vector<MixType> types;
    };
    const Case cases[] = {
        // The rest of the name line (905 letters and the break) becomes the fade-in line.
        {"long name",
         std::string(5000, 'n') + "\n300\n0\n",
         {{std::string(4095, 'n'), {0}, {300}}}},
        // Everything after the long line is shifted by one line.
        {"long value line",
         "Long\n" + sevens + "\n9\nNext\n1\n0\n",
         {{"Long", Steps(2048, 7), rest}, {"9", {0}, {1}}}},
        // A line of exactly 4095 characters leaves its break alone, as an empty line.
        {"line of 4095", std::string(4095, 'x') + "\n1\n0\n", {{std::string(4095, 'x'), {0}, {1}}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Parse(c.text), c.types) << c.name;
    }
}

TEST(MixIniDamagedTest, ArbitraryBytesParseWithoutHarm) {
    std::mt19937 random(20010);
    for (int round = 0; round < 200; ++round) {
        std::vector<std::uint8_t> bytes(random() % 20000);
        for (auto& byte : bytes) {
            // Favour the characters the reader cares about.
            const std::uint8_t pick = static_cast<std::uint8_t>(random());
            const char special[] = {'\n', '\r', ',', ' ', '\0', '\t', '-', '9'};
            byte = pick < 128 ? static_cast<std::uint8_t>(special[pick % 8]) : pick;
        }
        const auto types = CMixIniReader::Parse(bytes);
        for (const auto& type : types) {
            EXPECT_EQ(type.m_strName.find_first_of(std::string("\r\n\0", 3)), std::string::npos);
            EXPECT_LE(type.m_strName.size(), CMixIniReader::kMaxLineLength);
        }
    }
}

class MixIniFileTest : public ::testing::Test {
protected:
    TempDir m_dir;
};

TEST_F(MixIniFileTest, MissingFileOrFolderCannotBeOpenedAndOversizedIsRefused) {
    std::vector<MixType> types{MixType{"keep", {}, {}}};
    EXPECT_EQ(CMixIniReader::ReadFile(m_dir.File("absent.ini"), types), CMixIniReader::kCannotOpen);
    EXPECT_EQ(CMixIniReader::ReadFile(m_dir.Path(), types), CMixIniReader::kCannotOpen);
    const std::string path = m_dir.File("huge.ini");
    WriteAll(path, {});
    ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(CMixIniReader::kMaxFileSize + 1)), 0);
    EXPECT_EQ(CMixIniReader::ReadFile(path, types), CMixIniReader::kTooLarge);
    EXPECT_EQ(types.size(), 1u); // the list is left alone
}

} // namespace
