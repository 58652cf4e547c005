#include "media/Id3v1Tag.h"

#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <tuple>

using TestFiles::Id3v1Block;

namespace {

Id3v1Tag Parsed(const std::vector<std::uint8_t>& block) {
    Id3v1Tag tag;
    EXPECT_TRUE(tag.Parse(std::span<const std::uint8_t, 128>(block.data(), 128)));
    return tag;
}

TEST(Id3v1TagTest, VersionFollowsBytes125And126) {
    auto block = Id3v1Block("T", "A", "B", "2001", "0123456789012345678901234567", 7, 17);
    Id3v1Tag v11 = Parsed(block);
    EXPECT_FLOAT_EQ(v11.Version(), 1.1f);
    EXPECT_EQ(v11.Track(), 7);
    EXPECT_EQ(v11.Comment(), "0123456789012345678901234567");

    block[126] = 200;
    EXPECT_EQ(Parsed(block).Track(), 200);

    // Bytes 125 and 126 both zero: version 1.0, 30-byte comment, no track.
    block[126] = 0;
    Id3v1Tag v10 = Parsed(block);
    EXPECT_FLOAT_EQ(v10.Version(), 1.0f);
    EXPECT_EQ(v10.Track(), -1);

    // Byte 125 not zero: its text belongs to a 30-byte comment.
    auto full = Id3v1Block("T", "A", "B", "2001", "012345678901234567890123456789", 0, 1);
    EXPECT_EQ(Parsed(full).Comment(), "012345678901234567890123456789");
}

TEST(Id3v1TagTest, FieldsLoseTrailingBlanksAndStopAtZeroBytes) {
    auto block = Id3v1Block("Song   ", "Art\0ist", "Alb", "19a9", "", 0, 255);
    block[33 + 3] = 0; // "Art" then a zero byte then "ist"
    block[33 + 4] = 'i';
    Id3v1Tag tag = Parsed(block);
    EXPECT_EQ(tag.Title(), "Song");
    EXPECT_EQ(tag.Artist(), "Art");
    EXPECT_EQ(tag.Year(), 19);
    EXPECT_EQ(tag.GenreName(), "~unrecognized~");
    EXPECT_EQ(tag.DisplayComment(), "~unknown~");

    // Saving year 19 stores 0, written as the single character "0".
    tag.SetYear(tag.Year());
    const auto built = tag.Build();
    EXPECT_EQ(built[93], '0');
    EXPECT_EQ(built[94], 0);
    // The title is written without its blanks.
    EXPECT_EQ(built[3 + 4], 0);
}

TEST(Id3v1TagTest, NotATagLeavesTheFieldsAlone) {
    std::vector<std::uint8_t> block(128, 'x');
    Id3v1Tag tag;
    tag.SetTitle("kept");
    EXPECT_FALSE(tag.Parse(std::span<const std::uint8_t, 128>(block.data(), 128)));
    EXPECT_EQ(tag.Title(), "kept");
}

TEST(Id3v1TagTest, BuildRoundTripsAndRemoveGivesZeros) {
    Id3v1Tag tag;
    tag.SetTitle("A title that is longer than thirty characters");
    tag.SetArtist("Björk");
    tag.SetAlbum("東京");
    tag.SetComment("c");
    tag.SetYear(1997);
    tag.SetTrack(12);
    tag.SetGenreByName("Synth");
    const auto block = tag.Build();
    EXPECT_EQ(block[0], 'T');
    EXPECT_EQ(block[127], 147);
    EXPECT_EQ(block[125], 0);
    EXPECT_EQ(block[126], 12);
    Id3v1Tag back;
    ASSERT_TRUE(back.Parse(block));
    EXPECT_EQ(std::tuple(back.Title(), back.Artist(), back.Album(), back.Year(), back.Track(),
                         back.GenreName()),
              std::tuple("A title that is longer than th", "Björk", "??", 1997, 12, "Synthpop"));
    // Latin-1 on disk: "ö" is one byte.
    EXPECT_EQ(block[33 + 2], 0xF6);

    const auto removed = tag.Build(true);
    EXPECT_TRUE(std::all_of(removed.begin(), removed.end(), [](std::uint8_t b) { return b == 0; }));
}

TEST(Id3v1TagTest, SettersKeepTheirRanges) {
    Id3v1Tag tag;
    tag.SetTrack(5);
    tag.SetTrack(300);
    EXPECT_EQ(tag.Track(), 5);
    EXPECT_FLOAT_EQ(tag.Version(), 1.1f);
    tag.SetTrack(-1);
    EXPECT_EQ(tag.Track(), -1);
    EXPECT_FLOAT_EQ(tag.Version(), 1.0f);
    tag.SetYear(999);
    EXPECT_EQ(tag.Year(), 0);
    tag.SetYear(3000);
    EXPECT_EQ(tag.Year(), 3000);
    tag.SetYear(3001);
    EXPECT_EQ(tag.Year(), 0);
}

TEST(Id3v1TagTest, WritingAppendsOnceThenReplaces) {
    TempDir dir;
    const std::string path = dir.File("a.mp3");
    const std::vector<std::uint8_t> audio(1000, 0x55);
    WriteAll(path, audio);
    Id3v1Tag tag;
    ASSERT_EQ(tag.WriteToFile(path, "Title", "Artist", "Album", 2001, "Note", 4, "Rock", false), 0);
    auto bytes = ReadAll(path);
    ASSERT_EQ(bytes.size(), 1128u);
    EXPECT_EQ(bytes[1000], 'T');
    EXPECT_EQ(bytes[1127], 17);

    ASSERT_EQ(tag.WriteToFile(path, "Other", "Artist", "Album", 2001, "Note", -1, "Pop", false), 0);
    bytes = ReadAll(path);
    ASSERT_EQ(bytes.size(), 1128u);
    Id3v1Tag back;
    ASSERT_TRUE(back.Parse(std::span<const std::uint8_t, 128>(bytes.data() + 1000, 128)));
    EXPECT_EQ(std::tuple(back.Title(), back.Track(), back.GenreName()),
              std::tuple("Other", -1, "Pop"));

    // Removing keeps the length: the block becomes zeros.
    ASSERT_EQ(tag.WriteToFile(path, "", "", "", 0, "", -1, "", true), 0);
    bytes = ReadAll(path);
    ASSERT_EQ(bytes.size(), 1128u);
    EXPECT_EQ(bytes[1000], 0);
    EXPECT_TRUE(std::equal(audio.begin(), audio.end(), bytes.begin()));

    // Removing from a file without a tag leaves it alone.
    const std::string bare = dir.File("b.mp3");
    WriteAll(bare, audio);
    ASSERT_EQ(tag.WriteToFile(bare, "", "", "", 0, "", -1, "", true), 0);
    EXPECT_EQ(ReadAll(bare), audio);
}

TEST(Id3v1TagTest, FailedWritesLeaveTheFileAlone) {
    TempDir dir;
    Id3v1Tag tag;
    EXPECT_NE(tag.WriteToFile(dir.File("missing.mp3"), "T", "", "", 0, "", -1, "", false), 0);

    const std::string path = dir.File("ro.mp3");
    const std::vector<std::uint8_t> audio(500, 1);
    WriteAll(path, audio);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    EXPECT_NE(tag.WriteToFile(path, "T", "", "", 0, "", -1, "", false), 0);
    EXPECT_EQ(ReadAll(path), audio);
}

} // namespace
