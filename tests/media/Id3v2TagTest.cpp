// Parsing of ID3v2 tags held in memory: layouts of versions 2.2, 2.3 and 2.4 built byte by
// byte here, and damaged tags that must give a clear result code without crashing.

#include "Id3v2TestFrames.h"
#include "media/Id3v2File.h"
#include "media/TextCodec.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace Id3v2Bytes;

// A frame with explicit size bytes.
Bytes RawFrame(std::string_view id, const Bytes& sizeBytes, const Bytes& data,
               std::uint8_t status = 0, std::uint8_t format = 0) {
    Bytes out = Cat({B(id), sizeBytes});
    if (id.size() == 4) {
        out.push_back(status);
        out.push_back(format);
    }
    return Cat({out, data});
}

Bytes Utf16(std::string_view utf8, bool bigEndian) {
    return B(TextCodec::Utf8ToUtf16(utf8, bigEndian));
}

std::string Repeat(std::string_view unit, std::size_t count) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        out += unit;
    }
    return out;
}

int Read(const Bytes& tag, Id3v2Fields& fields) {
    return Id3v2::ReadTagFromBytes(tag, fields);
}

using Field = std::string Id3v2Fields::*;

} // namespace

TEST(Id3v2TagLength, AcceptsTheThreeVersionsCountsTheFooterAndRejectsWhatIsNotAHeader) {
    EXPECT_EQ(Id3v2::TagLengthAt(Tag(3, 0, {}, 128)), 138u);
    EXPECT_EQ(Id3v2::TagLengthAt(Tag(2, 0, {}, 5)), 15u);
    EXPECT_EQ(Id3v2::TagLengthAt(Tag(4, 0x10, {}, 5)), 25u);
    // Only 2.4 has a footer; the bit means nothing to the length of a 2.3 tag.
    EXPECT_EQ(Id3v2::TagLengthAt(Tag(3, 0x10, {}, 5)), 15u);
    Bytes big = Tag(3, 0, {});
    big[6] = big[7] = big[8] = big[9] = 0x7F;
    EXPECT_EQ(Id3v2::TagLengthAt(big), 10u + 0x0FFFFFFFu);
    const Bytes footed = Footed(Frame(4, "TIT2", Latin("Footed")), 6);
    EXPECT_EQ(Id3v2::TagLengthAt(footed), footed.size());

    const Bytes good = Tag(3, 0, {}, 20);
    EXPECT_EQ(Id3v2::TagLengthAt(Bytes(good.begin(), good.begin() + 9)), 0u);
    for (const auto& [index, value] : std::vector<std::pair<int, int>>{
             {0, 'X'}, {2, '2'}, {3, 1}, {3, 5}, {4, 0xFF}, {6, 0x80}, {9, 0x80}}) {
        Bytes bad = good;
        bad[static_cast<std::size_t>(index)] = static_cast<std::uint8_t>(value);
        EXPECT_EQ(Id3v2::TagLengthAt(bad), 0u) << "byte " << index << " = " << value;
    }
}

TEST(Id3v2ReadBytes, Version22ReadsAllTwelveFields) {
    const Bytes body = Cat({Frame(2, "TT2", Latin("Title")), Frame(2, "TP1", Latin("Artist")),
                            Frame(2, "TAL", Latin("Album")), Frame(2, "TYE", Latin("1999")),
                            Frame(2, "COM", Comment("Comment")), Frame(2, "TRK", Latin("5/9")),
                            Frame(2, "TCO", Latin("(17)")), Frame(2, "TCR", Latin("Copyright")),
                            Frame(2, "TOA", Latin("Original")),
                            Frame(2, "WXX", Cat({Bytes{0, 0}, B("http://example.com/")})),
                            Frame(2, "TEN", Latin("Encoder")), Frame(2, "TCM", Latin("Composer"))});
    Id3v2Fields fields;
    ASSERT_EQ(Read(Tag(2, 0, body, 30), fields), Id3v2::kRead);
    EXPECT_EQ(Texts(fields),
              (std::vector<std::string>{"Title", "Artist", "Album", "1999", "Comment", "5/9",
                                        "(17)", "Copyright", "Original", "http://example.com/",
                                        "Encoder", "Composer"}));
}

// Each tag reads, gives the fields listed and the body size of its header.
TEST(Id3v2ReadBytes, LayoutsAndEncodingsGiveTheirTexts) {
    const Field title = &Id3v2Fields::title, artist = &Id3v2Fields::artist,
                album = &Id3v2Fields::album, year = &Id3v2Fields::year,
                comment = &Id3v2Fields::comment, genre = &Id3v2Fields::genre,
                url = &Id3v2Fields::url, track = &Id3v2Fields::track,
                composer = &Id3v2Fields::composer, copyright = &Id3v2Fields::copyright;
    const std::string utf = "Ünïcödé — 東京";
    const std::string wide = "Grüße 東京 𝄞";
    // Latin-1 "ÿé": FF E9 is a false sync, so unsynchronisation stores FF 00 E9.
    const Bytes content = {0, 0xFF, 0xE9, 'x'};
    const Bytes withLength =
        Unsync(Cat({SevenBit(static_cast<std::uint32_t>(content.size())), content}));
    struct Case {
        const char* name;
        Bytes tag;
        std::vector<std::pair<Field, std::string>> expected;
    };
    const Case cases[] = {
        {"2.3 sizes are plain: 00 00 01 00 is 256 bytes",
         Tag(3, 0,
             Cat({RawFrame("TIT2", Bytes{0, 0, 1, 0}, Latin(Repeat("abcdefghijklmnopq", 15))),
                  Frame(3, "TPE1", Latin("Band"))}),
             100),
         {{title, Repeat("abcdefghijklmnopq", 15)}, {artist, "Band"}}},
        {"7-bit sizes in 2.3 of the older program",
         Tag(3, 0,
             Cat({RawFrame("TIT2", Bytes{0, 0, 1, 0}, Latin(std::string(127, 'a'))),
                  Frame(3, "TPE1", Latin("Band")),
                  RawFrame("TCOM", SevenBit(201), Latin(std::string(200, 'c')))}),
             1024),
         {{title, std::string(127, 'a')}, {artist, "Band"}, {composer, std::string(200, 'c')}}},
        {"plain sizes of broken 2.4 writers", // 0x100 is not 7-bit 128; 0xC8 has bit 7 set
         Tag(4, 0,
             Cat({RawFrame("TIT2", Plain(256), Latin(std::string(255, 't'))),
                  RawFrame("TALB", Plain(200), Latin(std::string(199, 'l'))),
                  Frame(4, "TPE1", Latin("Band"))}),
             50),
         {{title, std::string(255, 't')}, {album, std::string(199, 'l')}, {artist, "Band"}}},
        {"2.4 UTF-8, UTF-16 BE, first of several values, date before TYER",
         Tag(4, 0,
             Cat({Frame(4, "TIT2", Cat({Bytes{3}, B(utf)})),
                  Frame(4, "TPE1", Cat({Bytes{2}, Utf16("Привет 𝄞", true)})),
                  Frame(4, "TALB", Cat({Bytes{3}, B("One"), Bytes{0}, B("Two")})),
                  Frame(4, "TCON",
                        Cat({Bytes{2}, Utf16("Jazz", true), Bytes{0, 0}, Utf16("Pop", true)})),
                  Frame(4, "TDRC", Latin("2004-05-06T10:00")), Frame(4, "TYER", Latin("1990"))}),
             10),
         {{title, utf}, {artist, "Привет 𝄞"}, {album, "One"}, {genre, "Jazz"}, {year, "2004"}}},
        {"2.4 without a date takes TYER",
         Tag(4, 0, Frame(4, "TYER", Latin("1990"))),
         {{year, "1990"}}},
        {"2.3 without TYER takes TDRC",
         Tag(3, 0, Frame(3, "TDRC", Latin("1985-02"))),
         {{year, "1985"}}},
        {"2.4 frame unsync, data length and grouping",
         Tag(4, 0,
             Cat({Frame(4, "TIT2", withLength, 0x03),
                  Frame(4, "TPE1", Cat({Bytes{0x07}, Latin("Grouped")}), 0x40),
                  Frame(4, "TALB", Unsync(Bytes{0, 0xFF, 0xFF}), 0x02)}),
             20),
         {{title, "ÿéx"}, {artist, "Grouped"}, {album, "ÿÿ"}}},
        {"2.4 tag unsync applies to every frame",
         Tag(4, 0x80, Frame(4, "TIT2", Unsync(Bytes{0, 0xFF, 0xE9})), 4),
         {{title, "ÿé"}}},
        // 511 data bytes: the size bytes 00 00 01 FF are followed by a zero flag byte, so
        // unsynchronisation reaches into the frame header too.
        {"2.3 unsync of the whole tag",
         Tag(3, 0x80,
             Unsync(Cat({Frame(3, "TIT2", Latin(std::string(510, 'q'))),
                         Frame(3, "TPE1", Bytes{0, 0xFF, 0xFF, 0xE0})})),
             16),
         {{title, std::string(510, 'q')}, {artist, "ÿÿà"}}},
        // 2.3: plain size not counting itself (6, or 10 with a CRC).
        {"2.3 extended header",
         Tag(3, 0x40, Cat({Plain(6), Bytes(6, 0), Frame(3, "TIT2", Latin("Behind"))}), 8),
         {{title, "Behind"}}},
        {"2.3 extended header with CRC",
         Tag(3, 0x40,
             Cat({Plain(10), Bytes{0x80, 0, 0, 0, 0, 0, 1, 2, 3, 4},
                  Frame(3, "TIT2", Latin("Behind"))})),
         {{title, "Behind"}}},
        // 2.4: 7-bit size counting itself, flag-byte count, flags.
        {"2.4 extended header",
         Tag(4, 0x40, Cat({SevenBit(6), Bytes{1, 0}, Frame(4, "TIT2", Latin("Behind"))}), 8),
         {{title, "Behind"}}},
        {"2.4 footer", Footed(Frame(4, "TIT2", Latin("Footed")), 6), {{title, "Footed"}}},
        {"UTF-16 byte-order marks, little-endian without one",
         Tag(3, 0,
             Cat({Frame(3, "TIT2", Cat({Bytes{1, 0xFF, 0xFE}, Utf16(wide, false), Bytes{0, 0}})),
                  Frame(3, "TPE1", Cat({Bytes{1, 0xFE, 0xFF}, Utf16(wide, true)})),
                  Frame(3, "TALB", Cat({Bytes{1}, Utf16(wide, false)})),
                  Frame(3, "TCOP",
                        Cat({Bytes{1, 0xFF, 0xFE}, Utf16("a", false), Bytes{0, 0},
                             Bytes{0xFF, 0xFE}, Utf16("b", false)}))})),
         {{title, wide}, {artist, wide}, {album, wide}, {copyright, "a"}}},
        {"comment with an empty description wins",
         Tag(3, 0,
             Cat({Frame(3, "COMM", Comment(" 0000 1111", "iTunNORM")),
                  Frame(3, "COMM", Comment("The comment"))})),
         {{comment, "The comment"}}},
        {"comment with a description when alone",
         Tag(3, 0, Frame(3, "COMM", Comment(" 0000 1111", "iTunNORM"))),
         {{comment, " 0000 1111"}}},
        // UTF-16 description "Āa" (00 01 61 00): its terminator lies at an even offset,
        // not at the first pair of zero bytes.
        {"UTF-16 comment description",
         Tag(3, 0,
             Frame(3, "COMM",
                   Cat({Bytes{1}, B("deu"), Bytes{0xFF, 0xFE}, Utf16("Āa", false), Bytes{0, 0},
                        Bytes{0xFF, 0xFE}, Utf16("Text ü", false)}))),
         {{comment, "Text ü"}}},
        {"user link after its description",
         Tag(3, 0,
             Frame(3, "WXXX", Cat({Bytes{0}, B("Homepage"), Bytes{0}, B("http://example.com/")}))),
         {{url, "http://example.com/"}}},
        {"user link after a UTF-16 description, link in Latin-1",
         Tag(3, 0,
             Frame(3, "WXXX",
                   Cat({Bytes{1, 0xFF, 0xFE}, Utf16("Seite", false), Bytes{0, 0},
                        B("http://example.de/\xE4")}))),
         {{url, "http://example.de/ä"}}},
        {"user link of the older program, straight after the encoding",
         Tag(3, 0, Frame(3, "WXXX", Latin("http://old.example/"))),
         {{url, "http://old.example/"}}},
        {"stored CR LF reads as LF",
         Tag(3, 0, Frame(3, "TIT2", Latin("a\r\nb\rc\n\r\r\n"))),
         {{title, "a\nb\rc\n\r\n"}}},
        {"texts cut to capacity by characters",
         Tag(4, 0,
             Cat({Frame(4, "TIT2", Cat({Bytes{3}, B(Repeat("東", 1100))})),
                  Frame(4, "TCON", Cat({Bytes{3}, B(Repeat("é", 600))})),
                  Frame(4, "COMM", Cat({Bytes{3}, B("eng"), Bytes{0}, B(Repeat("ж", 1500))})),
                  Frame(4, "TYER", Latin("20245")), Frame(4, "TRCK", Latin("103/1255"))})),
         {{title, Repeat("東", 1023)},
          {genre, Repeat("é", 511)},
          {comment, Repeat("ж", 1023)},
          {year, "2024"},
          {track, "103/125"}}},
        // A compressed title is passed over for the next one; a 2.3 group byte is skipped;
        // an unknown encoding leaves its field empty.
        {"undecodable frames skipped or left empty",
         Tag(3, 0,
             Cat({Frame(3, "TIT2", Bytes{0, 0, 0, 9, 0x78, 0x9C, 1, 2}, 0x80),
                  Frame(3, "TIT2", Latin("Readable")),
                  Frame(3, "TPE1", Cat({Bytes{0x42}, Latin("Grouped")}), 0x20),
                  Frame(3, "TALB", Cat({Bytes{7}, B("???")}))})),
         {{title, "Readable"}, {artist, "Grouped"}, {album, ""}}},
        {"zero first identifier byte starts the padding",
         Tag(3, 0, Cat({Frame(3, "TIT2", Latin("Kept")), Bytes{0, 'J', 'U', 'N', 'K'}}), 5),
         {{title, "Kept"}}},
        // The header promises 256 MiB; only a frame's worth is there.
        {"header size far past the bytes",
         Cat({B("ID3"), Bytes{3, 0, 0, 0x7F, 0x7F, 0x7F, 0x7F}, Frame(3, "TIT2", Latin("x"))}),
         {{title, "x"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Id3v2Fields fields;
        ASSERT_EQ(Read(c.tag, fields), Id3v2::kRead);
        for (const auto& [field, text] : c.expected) {
            EXPECT_EQ(fields.*field, text);
        }
        EXPECT_EQ(fields.tagSize, (c.tag[6] << 21) | (c.tag[7] << 14) | (c.tag[8] << 7) | c.tag[9]);
    }
}

TEST(Id3v2DamagedBytes, DamagedTagsGiveTheirCodeAndClearTheFields) {
    const Bytes good = Frame(3, "TIT2", Latin("Title"));
    const Bytes x = Frame(3, "TIT2", Latin("x"));
    Bytes badVersion = Tag(3, 0, x);
    badVersion[3] = 5;
    const Bytes absurd = Cat({B("ID3"), Bytes{3, 0, 0, 0x7F, 0x7F, 0x7F, 0x7F}, x,
                              RawFrame("TPE1", Plain(0x7FFFFFF0), Latin("y"))});
    const Bytes full = Tag(3, 0, Frame(3, "TIT2", Latin("A whole title")));
    struct Case {
        const char* name;
        Bytes tag;
        int code;
    };
    const Case cases[] = {
        {"no bytes", {}, Id3v2::kNoHeader},
        {"header cut short", B("ID3\x03"), Id3v2::kNoHeader},
        {"version 5", badVersion, Id3v2::kNoHeader},
        {"undefined flag", Tag(3, 0x01, x), Id3v2::kNoHeader},
        {"2.2 compression", Tag(2, 0x40, x), Id3v2::kNoHeader},
        {"2.4 undefined flag", Tag(4, 0x08, x), Id3v2::kNoHeader},
        {"2.3 extended size past the tag", Tag(3, 0x40, Cat({Plain(4096), Bytes(6, 0)})),
         Id3v2::kBadExtendedHeader},
        {"2.3 extended header cut", Tag(3, 0x40, Bytes{0, 0}), Id3v2::kBadExtendedHeader},
        {"2.4 extended size below 6", Tag(4, 0x40, Cat({SevenBit(5), Bytes(20, 0)})),
         Id3v2::kBadExtendedHeader},
        {"2.4 extended size not 7-bit", Tag(4, 0x40, Cat({Bytes{0, 0, 0x80, 6}, Bytes(20, 0)})),
         Id3v2::kBadExtendedHeader},
        {"2.4 extended size past the tag", Tag(4, 0x40, Cat({SevenBit(200), Bytes(20, 0)})),
         Id3v2::kBadExtendedHeader},
        {"lower-case identifier", Tag(3, 0, Cat({good, Frame(3, "tpe1", Latin("x"))})),
         Id3v2::kNoFrame},
        {"blank in identifier", Tag(3, 0, Cat({good, Frame(3, "TP 1", Latin("x"))})),
         Id3v2::kNoFrame},
        {"size 0", Tag(3, 0, Cat({good, RawFrame("TPE1", Plain(0), {})}), 10), Id3v2::kNoFrame},
        {"size past the tag", Tag(3, 0, Cat({good, RawFrame("TPE1", Plain(500), Latin("x"))}), 10),
         Id3v2::kNoFrame},
        {"huge size",
         Tag(3, 0, Cat({good, RawFrame("TPE1", Bytes{0xFF, 0xFF, 0xFF, 0xFF}, Latin("x"))})),
         Id3v2::kNoFrame},
        {"2.3 reserved status bit",
         Tag(3, 0, Cat({good, RawFrame("TPE1", Plain(2), Latin("x"), 0x01)})), Id3v2::kNoFrame},
        {"2.3 reserved format bit",
         Tag(3, 0, Cat({good, RawFrame("TPE1", Plain(2), Latin("x"), 0, 0x10)})), Id3v2::kNoFrame},
        {"2.4 reserved format bit", Tag(4, 0, Frame(4, "TIT2", Latin("x"), 0x80)), Id3v2::kNoFrame},
        {"header cut by the tag end", Tag(3, 0, Cat({good, B("TPE1\x00")})), Id3v2::kNoFrame},
        {"only padding", Tag(3, 0, {}, 100), Id3v2::kNoFrame},
        {"2.2 size past the tag", Tag(2, 0, RawFrame("TT2", Plain(300, 3), Latin("x"))),
         Id3v2::kNoFrame},
        {"absurd header and frame sizes", absurd, Id3v2::kNoFrame},
        {"frame cut by the end of the bytes", Bytes(full.begin(), full.end() - 3), Id3v2::kNoFrame},
        {"frame header cut by the end of the bytes", Bytes(full.begin(), full.begin() + 15),
         Id3v2::kNoFrame},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Id3v2Fields fields;
        fields.title = "stale";
        fields.tagSize = 99;
        EXPECT_EQ(Read(c.tag, fields), c.code);
        EXPECT_EQ(std::pair(fields.title, fields.tagSize), std::pair(std::string(), 0));
    }
}

TEST(Id3v2DamagedBytes, MutatedTagsNeverCrash) {
    const std::vector<Bytes> seeds = {
        Tag(3, 0,
            Cat({Frame(3, "TIT2", Cat({Bytes{1, 0xFF, 0xFE}, Utf16("Titel ü", false)})),
                 Frame(
                     3, "COMM",
                     Cat({Bytes{1}, B("eng"), Bytes{0xFF, 0xFE, 'd', 0, 0, 0}, Utf16("c", false)})),
                 Frame(3, "WXXX", Cat({Bytes{0}, B("d"), Bytes{0}, B("http://x/")})),
                 Frame(3, "APIC", Bytes(300, 0xAB))}),
            40),
        Tag(4, 0x40,
            Cat({SevenBit(6), Bytes{1, 0}, Frame(4, "TIT2", Cat({Bytes{3}, B("東京")}), 0x02),
                 Frame(4, "TDRC", Latin("2001"))}),
            20),
        Tag(2, 0x80,
            Unsync(Cat({Frame(2, "TT2", Latin("\xFF\xFF")),
                        Frame(2, "COM", Bytes{0, 'e', 'n', 'g', 0, 'x'})}))),
    };
    std::mt19937 random(12345);
    for (int round = 0; round < 4000; ++round) {
        Bytes tag = seeds[static_cast<std::size_t>(round) % seeds.size()];
        const int changes = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < changes; ++i) {
            tag[random() % tag.size()] = static_cast<std::uint8_t>(random());
        }
        if (random() % 4 == 0) {
            tag.resize(random() % tag.size());
        }
        Id3v2Fields fields;
        const int result = Read(tag, fields);
        ASSERT_GE(result, Id3v2::kRead);
        ASSERT_LE(result, Id3v2::kNoFrame);
        for (const std::string* text :
             {&fields.title, &fields.comment, &fields.url, &fields.year}) {
            ASSERT_TRUE(TextCodec::IsValidUtf8(*text)) << "round " << round;
            ASSERT_LE(TextCodec::CharacterCount(*text), 1023u);
        }
    }
}
