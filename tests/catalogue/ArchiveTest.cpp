#include "catalogue/CArchiveReader.h"
#include "catalogue/CArchiveWriter.h"
#include "catalogue/CDateTime.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Head(const Bytes& bytes, std::size_t count) {
    return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(count));
}

TEST(ArchiveTest, NumbersAndDatesAreLittleEndian) {
    CArchiveWriter ar;
    ar.WriteInt32(-2);
    ar.WriteUInt32(0x11223344);
    ar.WriteDateTime(CDateTime(1.5, CDateTime::kNull));
    EXPECT_EQ(ar.Bytes(), (Bytes{0xFE, 0xFF, 0xFF, 0xFF, 0x44, 0x33, 0x22, 0x11, 2,    0,
                                 0,    0,    0,    0,    0,    0,    0,    0,    0xF8, 0x3F}));
    CArchiveReader in(ar.Bytes());
    std::int32_t a = 0;
    std::uint32_t b = 0;
    CDateTime dt;
    ASSERT_TRUE(in.ReadInt32(a) && in.ReadUInt32(b) && in.ReadDateTime(dt));
    EXPECT_EQ(a, -2);
    EXPECT_EQ(b, 0x11223344u);
    EXPECT_EQ(dt, CDateTime(1.5, CDateTime::kNull));
    EXPECT_EQ(in.Remaining(), 0u);
}

// Length prefixes at every boundary: 1 byte below 255, 0xFF + 2 bytes up to 65533,
// 0xFF 0xFFFF + 4 bytes from 65534 on.
TEST(ArchiveTest, TextPrefixBoundaries) {
    const struct {
        std::size_t length;
        Bytes prefix;
    } cases[] = {{0, {0}},
                 {254, {0xFE}},
                 {255, {0xFF, 0xFF, 0x00}},
                 {65533, {0xFF, 0xFD, 0xFF}},
                 {65534, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0, 0}},
                 {65535, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0}},
                 {70000, {0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0}}};
    for (const auto& c : cases) {
        const std::string text(c.length, 'x');
        CArchiveWriter ar;
        ar.WriteText(text);
        ASSERT_EQ(ar.Bytes().size(), c.prefix.size() + c.length) << c.length;
        EXPECT_EQ(Head(ar.Bytes(), c.prefix.size()), c.prefix) << c.length;
        EXPECT_EQ(CArchiveWriter::TextSize(c.length), ar.Bytes().size());
        CArchiveReader in(ar.Bytes());
        std::string back;
        ASSERT_TRUE(in.ReadText(back)) << c.length;
        EXPECT_EQ(back, text);
    }
}

TEST(ArchiveTest, DamagedAndTruncatedItemsFailAndStayFailed) {
    std::string text;
    CDateTime dt;
    std::int32_t n = 0;
    // 0xFF 0xFFFE is never written.
    const Bytes markerBytes{0xFF, 0xFE, 0xFF, 0, 0};
    CArchiveReader marker(markerBytes);
    EXPECT_FALSE(marker.ReadText(text));
    EXPECT_EQ(marker.GetResult(), CArchiveReader::kDamaged);
    // A 4 GB text in a tiny buffer fails before anything is taken.
    const Bytes hugeBytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'a'};
    CArchiveReader huge(hugeBytes);
    EXPECT_FALSE(huge.ReadText(text));
    EXPECT_EQ(huge.GetResult(), CArchiveReader::kTruncated);
    EXPECT_FALSE(huge.ReadInt32(n));
    // A status other than 0, 1, 2.
    const Bytes statusBytes{3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7, 0, 0, 0};
    CArchiveReader status(statusBytes);
    EXPECT_FALSE(status.ReadDateTime(dt));
    EXPECT_EQ(status.GetResult(), CArchiveReader::kDamaged);
    EXPECT_FALSE(status.ReadInt32(n)); // sticks although 4 bytes remain
    const Bytes shortBytes{1, 2, 3};
    CArchiveReader shortNumber(shortBytes);
    EXPECT_FALSE(shortNumber.ReadInt32(n));
    EXPECT_EQ(shortNumber.GetResult(), CArchiveReader::kTruncated);
}

// A short length in the long form is accepted; texts that are not UTF-8 are read as
// Windows-1252.
TEST(ArchiveTest, ShortPrefixesInLongFormAndWindows1252Texts) {
    const Bytes bytes{0xFF, 3, 0,   'a', 'b', 'c',  0xFF, 0xFF, 0xFF, 2,    0, 0,    0,    'd',
                      'e',  8, 'C', 'a', 'f', 0xE9, ' ',  0x93, 'x',  0x94, 3, 0xC3, 0xA9, '!'};
    CArchiveReader in(bytes);
    std::string first, second, legacy, utf8;
    ASSERT_TRUE(in.ReadText(first) && in.ReadText(second) && in.ReadText(legacy) &&
                in.ReadText(utf8));
    EXPECT_EQ(first, "abc");
    EXPECT_EQ(second, "de");
    EXPECT_EQ(legacy, "Caf\u00e9 \u201cx\u201d");
    EXPECT_EQ(utf8, "\u00e9!");
}

TEST(DateTimeTest, DayNumbersCountFrom30December1899) {
    EXPECT_EQ(CDateTime::FromCalendar(1899, 12, 30, 0, 0, 0).GetValue(), 0.0);
    EXPECT_EQ(CDateTime::FromCalendar(1900, 1, 1, 18, 0, 0).GetValue(), 2.75);
    EXPECT_EQ(CDateTime::FromCalendar(2000, 1, 1, 0, 0, 0).GetValue(), 36526.0);
    // Before day 0 the fraction still adds time of day.
    EXPECT_EQ(CDateTime::FromCalendar(1899, 12, 29, 6, 0, 0).GetValue(), -1.25);
    EXPECT_EQ(CDateTime(-1.25, CDateTime::kValid).Format("%Y-%m-%d %H:%M"), "1899-12-29 06:00");
    EXPECT_EQ(CDateTime::FromCalendar(2024, 2, 30, 0, 0, 0).GetStatus(), CDateTime::kInvalid);
    EXPECT_EQ(CDateTime::FromCalendar(2024, 2, 29, 23, 59, 59).Format("%Y-%m-%d %H:%M:%S"),
              "2024-02-29 23:59:59");
    EXPECT_EQ(CDateTime::Null().Format(), "");
    EXPECT_EQ(CDateTime(1e300, CDateTime::kValid).Format(), "");
    std::tm fields{};
    ASSERT_TRUE(CDateTime::FromCalendar(2023, 7, 14, 12, 34, 56).GetCalendar(fields));
    EXPECT_EQ(fields.tm_wday, 5); // a Friday
    EXPECT_EQ(fields.tm_sec, 56);
}

} // namespace
