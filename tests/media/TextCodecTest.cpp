#include "media/TextCodec.h"

#include <gtest/gtest.h>

namespace {

TEST(TextCodecTest, Latin1Windows1252AndUtf8Validity) {
    EXPECT_EQ(TextCodec::Latin1ToUtf8("caf\xE9"), "café");
    EXPECT_EQ(TextCodec::Windows1252ToUtf8("\x80 \x93q\x94"), "€ “q”");
    EXPECT_EQ(TextCodec::Utf8ToLatin1("café 東"), "caf\xE9 ?");
    EXPECT_EQ(TextCodec::Utf8ToLatin1("bad \xC3"), "bad ?");
    EXPECT_TRUE(TextCodec::FitsLatin1("Ünïcödé"));
    EXPECT_FALSE(TextCodec::FitsLatin1("Привет"));
    EXPECT_TRUE(TextCodec::IsValidUtf8("plain"));
    EXPECT_TRUE(TextCodec::IsValidUtf8("東京 𝄞"));
    EXPECT_FALSE(TextCodec::IsValidUtf8("\xC0\xAF"));     // overlong
    EXPECT_FALSE(TextCodec::IsValidUtf8("\xED\xA0\x80")); // surrogate
    EXPECT_FALSE(TextCodec::IsValidUtf8("caf\xE9"));      // Latin-1
    EXPECT_FALSE(TextCodec::IsValidUtf8("\xE6\x9D"));     // cut short
}

TEST(TextCodecTest, Utf16BothOrdersWithSurrogatesAndTruncation) {
    const std::string text = "Aé東𝄞";
    for (const bool big : {false, true}) {
        const std::string units = TextCodec::Utf8ToUtf16(text, big);
        ASSERT_EQ(units.size(), 10u);
        const auto* data = reinterpret_cast<const std::uint8_t*>(units.data());
        EXPECT_EQ(TextCodec::Utf16ToUtf8({data, units.size()}, big), text);
    }
    const std::uint8_t lone[] = {0x00, 0xD8, 0x41, 0x00}; // unpaired high surrogate, 'A'
    EXPECT_EQ(TextCodec::Utf16ToUtf8(lone, false), "\xEF\xBF\xBD"
                                                   "A");
    // Truncation never splits a character.
    EXPECT_EQ(TextCodec::CharacterCount("東京abc"), 5u);
    EXPECT_EQ(TextCodec::TruncateCharacters("東京abc", 3), "東京a");
    EXPECT_EQ(TextCodec::TruncateBytes("東京", 4), "東");
    EXPECT_EQ(TextCodec::TruncateBytes("abc", 10), "abc");
}

} // namespace
