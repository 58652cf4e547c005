// Parsing of ID3v2 tags held in memory: layouts of versions 2.2, 2.3 and 2.4 built byte by
// byte here, and damaged tags that must give a clear result code without crashing.

#include "media/Id3v2File.h"
#include "media/TextCodec.h"
#include "support/Id3v2Bytes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
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

Bytes Frame22(std::string_view id, const Bytes& data) {
    return RawFrame(id, Plain(static_cast<std::uint32_t>(data.size()), 3), data);
}
Bytes Frame23(std::string_view id, const Bytes& data, std::uint8_t format = 0) {
    return RawFrame(id, Plain(static_cast<std::uint32_t>(data.size())), data, 0, format);
}
Bytes Frame24(std::string_view id, const Bytes& data, std::uint8_t format = 0) {
    return RawFrame(id, SevenBit(static_cast<std::uint32_t>(data.size())), data, 0, format);
}

// Unsynchronisation: a zero byte after every 0xFF that precedes 0xE0 or more, a zero
// byte, or the end.
Bytes Unsync(const Bytes& in) {
    Bytes out;
    for (std::size_t i = 0; i < in.size(); ++i) {
        out.push_back(in[i]);
        if (in[i] == 0xFF && (i + 1 == in.size() || in[i + 1] >= 0xE0 || in[i + 1] == 0)) {
            out.push_back(0);
        }
    }
    return out;
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

} // namespace

TEST(Id3v2TagLength, AcceptsTheThreeVersionsAndCountsTheFooter) {
    EXPECT_EQ(Id3v2::TagLengthAt(Tag(3, 0, {}, 128)), 138u);
    EXPECT_EQ(Id3v2::TagLengthAt(Tag(2, 0, {}, 5)), 15u);
    EXPECT_EQ(Id3v2::TagLengthAt(Tag(4, 0x10, {}, 5)), 25u);
    // Only 2.4 has a footer; the bit means nothing to the length of a 2.3 tag.
    EXPECT_EQ(Id3v2::TagLengthAt(Tag(3, 0x10, {}, 5)), 15u);
    Bytes big = Tag(3, 0, {});
    big[6] = big[7] = big[8] = big[9] = 0x7F;
    EXPECT_EQ(Id3v2::TagLengthAt(big), 10u + 0x0FFFFFFFu);
}

TEST(Id3v2TagLength, RejectsWhatIsNotAHeader) {
    const Bytes good = Tag(3, 0, {}, 20);
    EXPECT_EQ(Id3v2::TagLengthAt(Bytes(good.begin(), good.begin() + 9)), 0u);
    for (const auto& [index, value] : std::vector<std::pair<int, int>>{
             {0, 'X'}, {2, '2'}, {3, 1}, {3, 5}, {4, 0xFF}, {6, 0x80}, {9, 0x80}}) {
        Bytes bad = good;
        bad[static_cast<std::size_t>(index)] = static_cast<std::uint8_t>(value);
        EXPECT_EQ(Id3v2::TagLengthAt(bad), 0u) << "byte " << index << " = " << value;
    }
}

TEST(Id3v2ReadBytes, FrameSizesIn23ArePlainNumbers) {
    // Size bytes 00 00 01 00: 256 data bytes, as the standard has it.
    const std::string title = Repeat("abcdefghijklmnopq", 15); // 255 characters
    const Bytes tag = Tag(
        3, 0,
        Cat({RawFrame("TIT2", Bytes{0, 0, 1, 0}, Latin(title)), Frame23("TPE1", Latin("Band"))}),
        100);
    Id3v2Fields fields;
    ASSERT_EQ(Read(tag, fields), Id3v2::kRead);
    EXPECT_EQ(fields.title, title);
    EXPECT_EQ(fields.artist, "Band");
    EXPECT_EQ(fields.tagSize, static_cast<std::int32_t>(tag.size() - 10));
}

TEST(Id3v2ReadBytes, SevenBitSizesOfTheOlderProgramStillRead) {
    // The older version of this program wrote 7-bit sizes in 2.3: 00 00 01 00 meant 128.
    const std::string title(127, 'a');
    const std::string composer(200, 'c');
    const Bytes tag =
        Tag(3, 0,
            Cat({RawFrame("TIT2", Bytes{0, 0, 1, 0}, Latin(title)), Frame23("TPE1", Latin("Band")),
                 RawFrame("TCOM", SevenBit(201), Latin(composer))}),
            1024);
    Id3v2Fields fields;
    ASSERT_EQ(Read(tag, fields), Id3v2::kRead);
    EXPECT_EQ(fields.title, title);
    EXPECT_EQ(fields.artist, "Band");
    EXPECT_EQ(fields.composer, composer);
}

TEST(Id3v2ReadBytes, PlainSizesFromBroken24WritersStillRead) {
    const std::string title(255, 't');
    const std::string album(199, 'l');
    const Bytes tag = Tag(4, 0,
                          Cat({RawFrame("TIT2", Plain(256), Latin(title)), // 0x100: not 7-bit 128
                               RawFrame("TALB", Plain(200), Latin(album)), // 0xC8: bit 7 set
                               Frame24("TPE1", Latin("Band"))}),
                          50);
    Id3v2Fields fields;
    ASSERT_EQ(Read(tag, fields), Id3v2::kRead);
    EXPECT_EQ(fields.title, title);
    EXPECT_EQ(fields.album, album);
    EXPECT_EQ(fields.artist, "Band");
}

TEST(Id3v2ReadBytes, Version22ReadsAllTwelveFields) {
    const Bytes body = Cat({Frame22("TT2", Latin("Title")), Frame22("TP1", Latin("Artist")),
                            Frame22("TAL", Latin("Album")), Frame22("TYE", Latin("1999")),
                            Frame22("COM", Cat({Bytes{0}, B("eng"), Bytes{0}, B("Comment")})),
                            Frame22("TRK", Latin("5/9")), Frame22("TCO", Latin("(17)")),
                            Frame22("TCR", Latin("Copyright")), Frame22("TOA", Latin("Original")),
                            Frame22("WXX", Cat({Bytes{0, 0}, B("http://example.com/")})),
                            Frame22("TEN", Latin("Encoder")), Frame22("TCM", Latin("Composer"))});
    Id3v2Fields fields;
    ASSERT_EQ(Read(Tag(2, 0, body, 30), fields), Id3v2::kRead);
    EXPECT_EQ(fields.title, "Title");
    EXPECT_EQ(fields.artist, "Artist");
    EXPECT_EQ(fields.album, "Album");
    EXPECT_EQ(fields.year, "1999");
    EXPECT_EQ(fields.comment, "Comment");
    EXPECT_EQ(fields.track, "5/9");
    EXPECT_EQ(fields.genre, "(17)");
    EXPECT_EQ(fields.copyright, "Copyright");
    EXPECT_EQ(fields.originalArtist, "Original");
    EXPECT_EQ(fields.url, "http://example.com/");
    EXPECT_EQ(fields.encodedBy, "Encoder");
    EXPECT_EQ(fields.composer, "Composer");
}

TEST(Id3v2ReadBytes, Version24DecodesUtf8Utf16BeAndTakesTheFirstValue) {
    const std::string title = "Ünïcödé — 東京";
    const std::string artist = "Привет 𝄞";
    const Bytes body =
        Cat({Frame24("TIT2", Cat({Bytes{3}, B(title)})),
             Frame24("TPE1", Cat({Bytes{2}, Utf16(artist, true)})),
             Frame24("TALB", Cat({Bytes{3}, B("One"), Bytes{0}, B("Two")})),
             Frame24("TCON", Cat({Bytes{2}, Utf16("Jazz", true), Bytes{0, 0}, Utf16("Pop", true)})),
             Frame24("TDRC", Latin("2004-05-06T10:00")), Frame24("TYER", Latin("1990"))});
    Id3v2Fields fields;
    ASSERT_EQ(Read(Tag(4, 0, body, 10), fields), Id3v2::kRead);
    EXPECT_EQ(fields.title, title);
    EXPECT_EQ(fields.artist, artist);
    EXPECT_EQ(fields.album, "One");
    EXPECT_EQ(fields.genre, "Jazz");
    EXPECT_EQ(fields.year, "2004");

    // Without a date frame the year falls back to TYER, and a 2.3 tag without TYER
    // takes the 2.4 date frame some writers put there.
    ASSERT_EQ(Read(Tag(4, 0, Frame24("TYER", Latin("1990"))), fields), Id3v2::kRead);
    EXPECT_EQ(fields.year, "1990");
    ASSERT_EQ(Read(Tag(3, 0, Frame23("TDRC", Latin("1985-02"))), fields), Id3v2::kRead);
    EXPECT_EQ(fields.year, "1985");
}

TEST(Id3v2ReadBytes, Version24UndoesFrameUnsyncAndDropsTheDataLength) {
    // Latin-1 "ÿé": FF E9 is a false sync, so unsynchronisation stores FF 00 E9.
    const Bytes content = {0, 0xFF, 0xE9, 'x'};
    const Bytes frameData =
        Unsync(Cat({SevenBit(static_cast<std::uint32_t>(content.size())), content}));
    ASSERT_EQ(frameData.size(), 9u);
    const Bytes grouped = Cat({Bytes{0x07}, Latin("Grouped")});
    const Bytes tag = Tag(4, 0,
                          Cat({Frame24("TIT2", frameData, 0x03), Frame24("TPE1", grouped, 0x40),
                               Frame24("TALB", Unsync(Bytes{0, 0xFF, 0xFF}), 0x02)}),
                          20);
    Id3v2Fields fields;
    ASSERT_EQ(Read(tag, fields), Id3v2::kRead);
    EXPECT_EQ(fields.title, "ÿéx");
    EXPECT_EQ(fields.artist, "Grouped");
    EXPECT_EQ(fields.album, "ÿÿ");

    // The tag's flag unsynchronises every frame, whatever the frame's own flag says.
    const Bytes tagWide = Tag(4, 0x80, Frame24("TIT2", Unsync(Bytes{0, 0xFF, 0xE9})), 4);
    ASSERT_EQ(Read(tagWide, fields), Id3v2::kRead);
    EXPECT_EQ(fields.title, "ÿé");
}

TEST(Id3v2ReadBytes, Version23UndoesUnsyncOfTheWholeTag) {
    // 511 data bytes: the size bytes 00 00 01 FF are followed by a zero flag byte, so
    // unsynchronisation reaches into the frame header too.
    const std::string title(510, 'q');
    const Bytes body =
        Cat({Frame23("TIT2", Latin(title)), Frame23("TPE1", Bytes{0, 0xFF, 0xFF, 0xE0})});
    const Bytes tag = Tag(3, 0x80, Unsync(body), 16);
    Id3v2Fields fields;
    ASSERT_EQ(Read(tag, fields), Id3v2::kRead);
    EXPECT_EQ(fields.title, title);
    EXPECT_EQ(fields.artist, "ÿÿà");
}

TEST(Id3v2ReadBytes, ExtendedHeadersAreSkipped) {
    const Bytes frames = Frame23("TIT2", Latin("Behind"));
    Id3v2Fields fields;
    // 2.3: plain size not counting itself (6, or 10 with a CRC).
    ASSERT_EQ(Read(Tag(3, 0x40, Cat({Plain(6), Bytes(6, 0), frames}), 8), fields), Id3v2::kRead);
    EXPECT_EQ(fields.title, "Behind");
    ASSERT_EQ(Read(Tag(3, 0x40, Cat({Plain(10), Bytes{0x80, 0, 0, 0, 0, 0, 1, 2, 3, 4}, frames})),
                   fields),
              Id3v2::kRead);
    EXPECT_EQ(fields.title, "Behind");
    // 2.4: 7-bit size counting itself, flag-byte count, flags.
    const Bytes frames24 = Frame24("TIT2", Latin("Behind"));
    ASSERT_EQ(Read(Tag(4, 0x40, Cat({SevenBit(6), Bytes{1, 0}, frames24}), 8), fields),
              Id3v2::kRead);
    EXPECT_EQ(fields.title, "Behind");
}

TEST(Id3v2ReadBytes, DamagedExtendedHeadersGiveThree) {
    Id3v2Fields fields;
    EXPECT_EQ(Read(Tag(3, 0x40, Cat({Plain(4096), Bytes(6, 0)})), fields),
              Id3v2::kBadExtendedHeader);
    EXPECT_EQ(Read(Tag(3, 0x40, Bytes{0, 0}), fields), Id3v2::kBadExtendedHeader);
    EXPECT_EQ(Read(Tag(4, 0x40, Cat({SevenBit(5), Bytes(20, 0)})), fields),
              Id3v2::kBadExtendedHeader);
    EXPECT_EQ(Read(Tag(4, 0x40, Cat({Bytes{0, 0, 0x80, 6}, Bytes(20, 0)})), fields),
              Id3v2::kBadExtendedHeader);
    EXPECT_EQ(Read(Tag(4, 0x40, Cat({SevenBit(200), Bytes(20, 0)})), fields),
              Id3v2::kBadExtendedHeader);
}

TEST(Id3v2ReadBytes, Version24FooterAddsTenBytes) {
    Bytes tag = Tag(4, 0x10, Frame24("TIT2", Latin("Footed")), 6);
    Bytes footer(tag.begin(), tag.begin() + 10);
    footer[0] = '3';
    footer[1] = 'D';
    footer[2] = 'I';
    tag = Cat({tag, footer});
    EXPECT_EQ(Id3v2::TagLengthAt(tag), tag.size());
    Id3v2Fields fields;
    ASSERT_EQ(Read(tag, fields), Id3v2::kRead);
    EXPECT_EQ(fields.title, "Footed");
}

TEST(Id3v2ReadBytes, Utf16HonoursTheByteOrderMarkAndDefaultsToLittleEndian) {
    const std::string text = "Grüße 東京 𝄞";
    const Bytes body =
        Cat({Frame23("TIT2", Cat({Bytes{1, 0xFF, 0xFE}, Utf16(text, false), Bytes{0, 0}})),
             Frame23("TPE1", Cat({Bytes{1, 0xFE, 0xFF}, Utf16(text, true)})),
             Frame23("TALB", Cat({Bytes{1}, Utf16(text, false)})),
             Frame23("TCOP", Cat({Bytes{1, 0xFF, 0xFE}, Utf16("a", false), Bytes{0, 0},
                                  Bytes{0xFF, 0xFE}, Utf16("b", false)}))});
    Id3v2Fields fields;
    ASSERT_EQ(Read(Tag(3, 0, body), fields), Id3v2::kRead);
    EXPECT_EQ(fields.title, text);
    EXPECT_EQ(fields.artist, text);
    EXPECT_EQ(fields.album, text);
    EXPECT_EQ(fields.copyright, "a");
}

TEST(Id3v2ReadBytes, CommentPrefersAnEmptyDescription) {
    const Bytes normalisation =
        Frame23("COMM", Cat({Bytes{0}, B("eng"), B("iTunNORM"), Bytes{0}, B(" 0000 1111")}));
    const Bytes plain = Frame23("COMM", Cat({Bytes{0}, B("eng"), Bytes{0}, B("The comment")}));
    Id3v2Fields fields;
    ASSERT_EQ(Read(Tag(3, 0, Cat({normalisation, plain})), fields), Id3v2::kRead);
    EXPECT_EQ(fields.comment, "The comment");
    ASSERT_EQ(Read(Tag(3, 0, normalisation), fields), Id3v2::kRead);
    EXPECT_EQ(fields.comment, " 0000 1111");

    // UTF-16 description "Āa" (00 01 61 00): its terminator lies at an even offset, not at
    // the first pair of zero bytes.
    const Bytes wide =
        Frame23("COMM", Cat({Bytes{1}, B("deu"), Bytes{0xFF, 0xFE}, Utf16("Āa", false), Bytes{0, 0},
                             Bytes{0xFF, 0xFE}, Utf16("Text ü", false)}));
    ASSERT_EQ(Read(Tag(3, 0, wide), fields), Id3v2::kRead);
    EXPECT_EQ(fields.comment, "Text ü");
}

TEST(Id3v2ReadBytes, UserLinkIsSplitFromItsDescription) {
    Id3v2Fields fields;
    ASSERT_EQ(Read(Tag(3, 0,
                       Frame23("WXXX",
                               Cat({Bytes{0}, B("Homepage"), Bytes{0}, B("http://example.com/")}))),
                   fields),
              Id3v2::kRead);
    EXPECT_EQ(fields.url, "http://example.com/");
    const Bytes wide = Frame23("WXXX", Cat({Bytes{1, 0xFF, 0xFE}, Utf16("Seite", false),
                                            Bytes{0, 0}, B("http://example.de/\xE4")}));
    ASSERT_EQ(Read(Tag(3, 0, wide), fields), Id3v2::kRead);
    EXPECT_EQ(fields.url, "http://example.de/ä");
    // The older program wrote the URL straight after the encoding byte.
    ASSERT_EQ(Read(Tag(3, 0, Frame23("WXXX", Latin("http://old.example/"))), fields), Id3v2::kRead);
    EXPECT_EQ(fields.url, "http://old.example/");
}

TEST(Id3v2ReadBytes, StoredCrLfReadsAsLf) {
    Id3v2Fields fields;
    ASSERT_EQ(Read(Tag(3, 0, Frame23("TIT2", Latin("a\r\nb\rc\n\r\r\n"))), fields), Id3v2::kRead);
    EXPECT_EQ(fields.title, "a\nb\rc\n\r\n");
}

TEST(Id3v2ReadBytes, TextsAreCutToCapacityByCharacters) {
    const Bytes body =
        Cat({Frame24("TIT2", Cat({Bytes{3}, B(Repeat("東", 1100))})),
             Frame24("TCON", Cat({Bytes{3}, B(Repeat("é", 600))})),
             Frame24("COMM", Cat({Bytes{3}, B("eng"), Bytes{0}, B(Repeat("ж", 1500))})),
             Frame24("TYER", Latin("20245")), Frame24("TRCK", Latin("3/12"))});
    Id3v2Fields fields;
    ASSERT_EQ(Read(Tag(4, 0, body), fields), Id3v2::kRead);
    EXPECT_EQ(fields.title, Repeat("東", 1023));
    EXPECT_EQ(fields.genre, Repeat("é", 511));
    EXPECT_EQ(fields.comment, Repeat("ж", 1023));
    EXPECT_EQ(fields.year, "2024");
    EXPECT_EQ(fields.track, "3/1");
}

TEST(Id3v2ReadBytes, UndecodableFramesAreSkippedOrLeftEmpty) {
    // A compressed title is passed over for the next one; a 2.3 group byte is skipped; an
    // unknown encoding leaves its field empty.
    const Bytes body = Cat({Frame23("TIT2", Bytes{0, 0, 0, 9, 0x78, 0x9C, 1, 2}, 0x80),
                            Frame23("TIT2", Latin("Readable")),
                            Frame23("TPE1", Cat({Bytes{0x42}, Latin("Grouped")}), 0x20),
                            Frame23("TALB", Cat({Bytes{7}, B("???")}))});
    Id3v2Fields fields;
    ASSERT_EQ(Read(Tag(3, 0, body), fields), Id3v2::kRead);
    EXPECT_EQ(fields.title, "Readable");
    EXPECT_EQ(fields.artist, "Grouped");
    EXPECT_EQ(fields.album, "");
}

TEST(Id3v2ReadBytes, ZeroFirstIdentifierByteStartsThePadding) {
    const Bytes tag =
        Tag(3, 0, Cat({Frame23("TIT2", Latin("Kept")), Bytes{0, 'J', 'U', 'N', 'K'}}), 5);
    Id3v2Fields fields;
    ASSERT_EQ(Read(tag, fields), Id3v2::kRead);
    EXPECT_EQ(fields.title, "Kept");
}

TEST(Id3v2DamagedBytes, BadHeadersGiveTwo) {
    Id3v2Fields fields;
    EXPECT_EQ(Read({}, fields), Id3v2::kNoHeader);
    EXPECT_EQ(Read(B("ID3\x03"), fields), Id3v2::kNoHeader);
    const Bytes frames = Frame23("TIT2", Latin("x"));
    Bytes badVersion = Tag(3, 0, frames);
    badVersion[3] = 5;
    EXPECT_EQ(Read(badVersion, fields), Id3v2::kNoHeader);
    EXPECT_EQ(Read(Tag(3, 0x01, frames), fields), Id3v2::kNoHeader); // undefined flag
    EXPECT_EQ(Read(Tag(2, 0x40, frames), fields), Id3v2::kNoHeader); // 2.2 compression
    EXPECT_EQ(Read(Tag(4, 0x08, frames), fields), Id3v2::kNoHeader);
}

TEST(Id3v2DamagedBytes, DamagedFramesGiveFourAndClearTheFields) {
    const Bytes good = Frame23("TIT2", Latin("Title"));
    const std::vector<std::pair<std::string, Bytes>> cases = {
        {"lower-case identifier", Tag(3, 0, Cat({good, Frame23("tpe1", Latin("x"))}))},
        {"blank in identifier", Tag(3, 0, Cat({good, Frame23("TP 1", Latin("x"))}))},
        {"size 0", Tag(3, 0, Cat({good, RawFrame("TPE1", Plain(0), {})}), 10)},
        {"size past the tag", Tag(3, 0, Cat({good, RawFrame("TPE1", Plain(500), Latin("x"))}), 10)},
        {"huge size",
         Tag(3, 0, Cat({good, RawFrame("TPE1", Bytes{0xFF, 0xFF, 0xFF, 0xFF}, Latin("x"))}))},
        {"2.3 reserved status bit",
         Tag(3, 0, Cat({good, RawFrame("TPE1", Plain(2), Latin("x"), 0x01)}))},
        {"2.3 reserved format bit",
         Tag(3, 0, Cat({good, RawFrame("TPE1", Plain(2), Latin("x"), 0, 0x10)}))},
        {"2.4 reserved format bit", Tag(4, 0, Cat({Frame24("TIT2", Latin("x"), 0x80)}))},
        {"header cut by the tag end", Tag(3, 0, Cat({good, B("TPE1\x00")}))},
        {"only padding", Tag(3, 0, {}, 100)},
        {"2.2 size past the tag", Tag(2, 0, RawFrame("TT2", Plain(300, 3), Latin("x")))},
    };
    for (const auto& [name, tag] : cases) {
        Id3v2Fields fields;
        fields.title = "stale";
        fields.tagSize = 99;
        EXPECT_EQ(Read(tag, fields), Id3v2::kNoFrame) << name;
        EXPECT_EQ(fields.title, "") << name;
        EXPECT_EQ(fields.tagSize, 0) << name;
    }
}

TEST(Id3v2DamagedBytes, TruncatedAndAbsurdTagsNeedNoHugeBuffers) {
    Id3v2Fields fields;
    // The header promises 256 MiB; only a frame's worth is there.
    Bytes absurd =
        Cat({B("ID3"), Bytes{3, 0, 0, 0x7F, 0x7F, 0x7F, 0x7F}, Frame23("TIT2", Latin("x"))});
    EXPECT_EQ(Read(absurd, fields), Id3v2::kRead);
    EXPECT_EQ(fields.title, "x");
    absurd = Cat({absurd, RawFrame("TPE1", Plain(0x7FFFFFF0), Latin("y"))});
    EXPECT_EQ(Read(absurd, fields), Id3v2::kNoFrame);
    // A frame cut short by the end of the bytes.
    const Bytes full = Tag(3, 0, Frame23("TIT2", Latin("A whole title")));
    EXPECT_EQ(Read(Bytes(full.begin(), full.end() - 3), fields), Id3v2::kNoFrame);
    EXPECT_EQ(Read(Bytes(full.begin(), full.begin() + 15), fields), Id3v2::kNoFrame);
}

TEST(Id3v2DamagedBytes, MutatedTagsNeverCrash) {
    const std::vector<Bytes> seeds = {
        Tag(3, 0,
            Cat({Frame23("TIT2", Cat({Bytes{1, 0xFF, 0xFE}, Utf16("Titel ü", false)})),
                 Frame23("COMM", Cat({Bytes{1}, B("eng"), Bytes{0xFF, 0xFE, 'd', 0, 0, 0},
                                      Utf16("c", false)})),
                 Frame23("WXXX", Cat({Bytes{0}, B("d"), Bytes{0}, B("http://x/")})),
                 Frame23("APIC", Bytes(300, 0xAB))}),
            40),
        Tag(4, 0x40,
            Cat({SevenBit(6), Bytes{1, 0}, Frame24("TIT2", Cat({Bytes{3}, B("東京")}), 0x02),
                 Frame24("TDRC", Latin("2001"))}),
            20),
        Tag(2, 0x80,
            Unsync(Cat({Frame22("TT2", Latin("\xFF\xFF")),
                        Frame22("COM", Bytes{0, 'e', 'n', 'g', 0, 'x'})}))),
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
