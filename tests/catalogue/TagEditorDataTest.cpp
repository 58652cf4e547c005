#include "catalogue/CTagEditorData.h"
#include "media/Id3v2File.h"
#include "media/MpegFileInfo.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <tuple>

namespace {

class TagEditorDataTest : public ::testing::Test {
protected:
    std::string Song(const std::string& name, bool withV1) {
        auto bytes = TestFiles::Frames(TestFiles::kMpeg1, TestFiles::kLayer3, 9, 0, 1, 20);
        if (withV1) {
            const auto tag = TestFiles::Id3v1Block("Song", "Band", "Album", "1999", "", 3, 17);
            bytes.insert(bytes.end(), tag.begin(), tag.end());
        }
        const std::string path = m_dir.File(name);
        WriteAll(path, bytes);
        return path;
    }
    TempDir m_dir;
};

TEST_F(TagEditorDataTest, LoadValidateAndSave) {
    const std::string song = Song("a.mp3", true);
    CTagEditorData data;
    ASSERT_TRUE(data.Load(song));
    EXPECT_EQ(std::tie(data.m_bHasV1, data.m_bHasV2, data.m_v1.strArtist, data.m_v1.nTrack,
                       data.m_v1.nGenre),
              std::make_tuple(true, false, "Band", 3, 17));
    EXPECT_FALSE(data.m_strFileDate.empty());

    data.m_v1.nYear = 3001;
    EXPECT_EQ(data.Validate(), "Please enter an integer between 0 and 3000.");
    data.m_v1.nYear = 999;
    data.m_v2.nTrack = 256;
    EXPECT_EQ(data.Validate(), "Please enter an integer between -1 and 255.");
    data.m_v2.nTrack = 5;
    EXPECT_EQ(data.Validate(), "");

    data.m_v1.strTitle = "New title";
    data.CopyV1ToV2();
    EXPECT_TRUE(data.m_bHasV2);
    EXPECT_EQ(data.m_v2.strGenre, "Rock");
    ASSERT_TRUE(data.Save());
    CTagEditorData again;
    ASSERT_TRUE(again.Load(song));
    // Year 999 is written as 0.
    EXPECT_EQ(std::tie(again.m_v1.nYear, again.m_v1.strTitle, again.m_bHasV2, again.m_v2.strTitle,
                       again.m_v2.nTrack, again.m_v2.strGenre),
              std::make_tuple(0, "New title", true, "New title", 3, "Rock"));
}

TEST_F(TagEditorDataTest, FilesItMustNotChange) {
    // Without an ID3v1 tag and with hasV1 off, the file's end stays as it was.
    const std::string plain = Song("plain.mp3", false);
    const auto before = ReadAll(plain);
    CTagEditorData data;
    ASSERT_TRUE(data.Load(plain));
    EXPECT_FALSE(data.m_bHasV1);
    EXPECT_TRUE(data.m_strFileDate.empty());
    ASSERT_TRUE(data.Save());
    EXPECT_EQ(ReadAll(plain), before);

    const std::string wav = m_dir.File("a.wav");
    WriteAll(wav, std::vector<std::uint8_t>(2048, 0));
    EXPECT_FALSE(data.Load(wav)) << CTagEditorData::kOpenFailedText;

    const std::string locked = Song("locked.mp3", true);
    const auto lockedBefore = ReadAll(locked);
    ASSERT_TRUE(data.Load(locked));
    ASSERT_EQ(::chmod(locked.c_str(), 0444), 0);
    data.m_v1.strTitle = "x";
    EXPECT_FALSE(data.Save());
    EXPECT_EQ(ReadAll(locked), lockedBefore);
}

TEST_F(TagEditorDataTest, SeveralFilesGetOnlyTheChangedFields) {
    const std::string first = Song("first.mp3", true);
    const std::string second = Song("second.mp3", false);
    CTagEditorData shown;
    ASSERT_TRUE(shown.Load(first));
    CTagEditorData edited = shown;
    edited.m_v1.strAlbum = "Best Of";
    edited.m_v1.nYear = 2001;
    const auto changes = CTagEditorData::Compare(shown, edited);
    ASSERT_TRUE(changes.Any());
    ASSERT_TRUE(edited.Save());

    const auto secondBefore = ReadAll(second);
    CTagEditorData other;
    ASSERT_TRUE(other.LoadWithChanges(second, edited, changes));
    EXPECT_FALSE(other.m_bHasV1) << "a file without an ID3v1 tag does not gain one";
    ASSERT_TRUE(other.Save());
    EXPECT_EQ(ReadAll(second), secondBefore);
    CTagEditorData check;
    ASSERT_TRUE(check.Load(first));
    EXPECT_EQ(check.m_v1.strAlbum, "Best Of");
    EXPECT_EQ(check.m_v1.nYear, 2001);
    EXPECT_FALSE(CTagEditorData::Compare(shown, shown).Any());
}

} // namespace
