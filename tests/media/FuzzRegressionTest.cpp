// Inputs that once made a fuzz target fail, kept as files under tests/data.
#include "media/Id3v2File.h"
#include "media/MpegFileInfo.h"
#include "media/TagLibFile.h"

#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

std::string Data(const std::string& name) {
    return std::string(MIXOREL_TEST_DATA) + "/" + name;
}

TEST(FuzzRegressionTest, XingHeaderBeyondTheFirstReadIsFound) {
    // The head read ended inside the only frame; the Xing header behind it was missed.
    MpegFileInfo info;
    ASSERT_EQ(info.Read(Data("mpeg-xing-single-frame-half-head.mp3")), MpegFileInfo::kRead);
    EXPECT_TRUE(info.isVbr);
    EXPECT_EQ(info.xingFrames, 1);
}

TEST(FuzzRegressionTest, TagSizeClaimingMoreThanTheFileDoesNotGrowIt) {
    // 22 bytes whose header claims a 256 KiB tag: writing a title must not pad the file
    // out to the claimed size.
    TempDir dir;
    const std::string path = dir.File("song.mp3");
    std::filesystem::copy_file(Data("id3v2-overclaimed-tag.mp3"), path);
    Id3v2Fields fields;
    fields.title = "T";
    ASSERT_EQ(Id3v2::WriteTag(fields, path), Id3v2::kWritten);
    EXPECT_LT(std::filesystem::file_size(path), 4096u);
    Id3v2Fields back;
    ASSERT_EQ(Id3v2::ReadTag(path, back), Id3v2::kRead);
    EXPECT_EQ(back.title, "T");
}

TEST(FuzzRegressionTest, EmptyingFieldsAV22TagLacksLeavesItsOwnFramesAlone) {
    // A 2.2 tag holding a frame this program does not know: a save of fields that are
    // already empty converted it to 2.3, which dropped that frame.
    TempDir dir;
    const std::string path = dir.File("song.mp3");
    std::filesystem::copy_file(Data("id3v2-22-unknown-frame.mp3"), path);
    const auto before = ReadAll(path);
    ASSERT_EQ(Id3v2::WriteChangedFields(Id3v2Fields{},
                                        Id3v2Fields::kAllFields & ~Id3v2Fields::kTitle, path),
              Id3v2::kWritten);
    EXPECT_EQ(ReadAll(path), before);
}

TEST(FuzzRegressionTest, AHeaderAskingForAlmostTwoToTheSixtyFourBytesReadsNothing) {
    // A damaged MusePack header under a .flac name made TagLib ask the descriptor stream
    // for 2^64 - 3 bytes, which was taken as a signed count: 4 GiB were allocated.
    struct rusage before {};
    ::getrusage(RUSAGE_SELF, &before);
    const TagLibFacts facts = TagLibFile::Read(Data("taglib-mpc-overlong-read.flac"));
    EXPECT_NE(facts.result, TagLibFacts::kRead);
    struct rusage after {};
    ::getrusage(RUSAGE_SELF, &after);
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 256 * 1024) << "KiB more at the peak";
}

} // namespace
