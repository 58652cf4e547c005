// A FLAC file (made by ffmpeg with its Vorbis comments) through everything that shows a
// song's tags: the processed record (duration, "FLAC 44", the title template, an empty
// ID3v1 block), the tag cache the walker and tooltips read, the Media Walker's levels,
// and one edit in the tag editor. Skipped without ffmpeg.

#include "DocumentFakes.h"

#include "catalogue/CMediaWalkerModel.h"
#include "catalogue/CMixorel2001Doc.h"
#include "catalogue/CSongTagCache.h"
#include "catalogue/CTagEditorData.h"
#include "media/CAutoTagger.h"
#include "media/FilenamePattern.h"
#include "media/Id3v1Tag.h"
#include "media/SongFileReader.h"
#include "media/TagLibFile.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>

namespace {

class OwnTagSongTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!TestFiles::HaveTool("ffmpeg")) {
            GTEST_SKIP() << "ffmpeg is not installed";
        }
        m_path = m_dir.File("Song.flac");
        ASSERT_EQ(TestFiles::Run("ffmpeg -v error -f lavfi -i sine=f=440:d=3.3:r=44100 -ac 2 "
                                 "-metadata title='Blue Moon' -metadata artist='The Band' "
                                 "-metadata album='Night' -metadata date=1999 -metadata track=4 "
                                 "-metadata genre=Jazz " +
                                 TestFiles::ShellQuote(m_path)),
                  0);
    }

    TempDir m_dir;
    std::string m_path;
};

TEST_F(OwnTagSongTest, TheRecordTheCacheAndTheWalkerShowTheFilesOwnTags) {
    CSong song = MakeSong(m_path);
    CSongTagCache::Shared().Forget(m_path);
    song.ProcessFromFacts(SongFileReader::Read(m_path), "%3 - %4");
    EXPECT_EQ(song.GetTitle(), "The Band - Blue Moon");
    EXPECT_EQ(song.GetDurationText(), "0:03");
    EXPECT_EQ(song.GetFormatText(), "FLAC 44");
    EXPECT_GT(song.GetBitrate(), 0);
    // The record's ID3v1 block stays empty: the playlist stores nothing the file lacks.
    EXPECT_TRUE(std::all_of(song.GetTag().begin(), song.GetTag().end(),
                            [](std::uint8_t b) { return b == 0; }));

    CMixorel2001Doc doc;
    Insert(doc, song);
    CMediaWalkerModel model;
    model.TakeSnapshot(doc);
    ASSERT_EQ(model.GetSongCount(), 1u);
    const MediaWalkerSong& walked = model.GetSong(0);
    EXPECT_EQ(CMediaWalkerModel::FieldValue(walked, CMediaWalkerModel::kArtist), "The Band");
    EXPECT_EQ(CMediaWalkerModel::FieldValue(walked, CMediaWalkerModel::kAlbum), "Night");
    EXPECT_EQ(CMediaWalkerModel::FieldValue(walked, CMediaWalkerModel::kGenre), "Jazz");
    EXPECT_EQ(CMediaWalkerModel::FieldValue(walked, CMediaWalkerModel::kYear), "1999");

    // A record read from a playlist before this run: the cache reads the file on demand.
    CSongTagCache::Shared().Forget(m_path);
    Id3v1Tag tag;
    ASSERT_TRUE(tag.Parse(CSongTagCache::Shared().BlockFor(song)));
    EXPECT_EQ(std::tuple(tag.Title(), tag.Track()), std::tuple("Blue Moon", 4));
}

TEST_F(OwnTagSongTest, TheTagEditorWritesTheChangedFieldIntoTheFilesOwnTag) {
    CTagEditorData editor;
    ASSERT_TRUE(editor.Load(m_path));
    EXPECT_FALSE(editor.m_bHasV1);
    ASSERT_TRUE(editor.m_bHasV2);
    EXPECT_EQ(std::tuple(editor.m_v2.strTitle, editor.m_v2.nYear, editor.m_v2.nTrack),
              std::tuple("Blue Moon", 1999, 4));
    editor.m_v2.strAlbum = "Day";
    ASSERT_TRUE(editor.Save());

    CTagEditorData again;
    ASSERT_TRUE(again.Load(m_path));
    EXPECT_EQ(std::tuple(again.m_v2.strTitle, again.m_v2.strArtist, again.m_v2.strAlbum,
                         again.m_v2.nYear, again.m_v2.nTrack, again.m_v2.strGenre),
              std::tuple("Blue Moon", "The Band", "Day", 1999, 4, "Jazz"));
}

TEST_F(OwnTagSongTest, TheAutoTaggerWritesWhatTheNameGivesIntoTheFilesOwnTag) {
    const std::string named = m_dir.File("New Artist-New Title.flac");
    ASSERT_EQ(std::rename(m_path.c_str(), named.c_str()), 0);
    FilenamePattern pattern;
    ASSERT_TRUE(pattern.SetCriteria("{ARTIST}-{TITLE}"));
    CAutoTagger::Defaults chosen;
    chosen.strGenre = "(8)Jazz";
    ASSERT_TRUE(CAutoTagger::TagFile(named, pattern, chosen));
    Id3v2Fields fields;
    ASSERT_TRUE(TagLibFile::ReadAllFields(named, fields));
    EXPECT_EQ(std::tuple(fields.artist, fields.title, fields.album, fields.year, fields.genre),
              std::tuple("New Artist", "New Title", "Night", "1999", "Jazz"));

    // "Don't overwrite" leaves a file that has tags alone.
    chosen.bDontOverwrite = true;
    const auto before = ReadAll(named);
    EXPECT_FALSE(CAutoTagger::TagFile(named, pattern, chosen));
    EXPECT_EQ(ReadAll(named), before);
}

} // namespace
