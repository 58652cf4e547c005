#include "DocumentFakes.h"

#include "catalogue/CAutoTagRun.h"
#include "catalogue/CMixorel2001Doc.h"
#include "media/MpegFileInfo.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace {

TEST(AutoTagRunTest, TagsTheSelectionUntilCancelledAndSkipsSongsGone) {
    TempDir dir;
    CMixorel2001Doc doc;
    std::vector<std::string> ids;
    for (const char* name : {"A-One", "B-Two", "C-Three", "D-Four"}) {
        const std::string path = dir.File(std::string(name) + ".mp3");
        WriteAll(path, TestFiles::Frames(TestFiles::kMpeg1, TestFiles::kLayer3, 9, 0, 1, 10));
        CSong song = MakeSong(path);
        song.SetTitle(name);
        song.SetInfoFlag(true);
        ids.push_back(Insert(doc, song));
    }
    ASSERT_TRUE(doc.RemoveSongs({ids[1]}));
    FilenamePattern pattern;
    ASSERT_TRUE(pattern.SetCriteria("{ARTIST}-{TITLE}"));
    CopyLog log;
    log.m_cancelAfter = 2; // at the fourth line, the third one left
    FakeCopyProgress progress(log);
    EXPECT_EQ(CAutoTagRun::Run(doc, ids, pattern, {}, &progress), 2);
    EXPECT_EQ(log.m_texts, (Texts{"A-One", "C-Three", "D-Four"}));
    auto artistOf = [&](const char* name) {
        MpegFileInfo info;
        info.Read(dir.File(std::string(name) + ".mp3"));
        return info.hasId3v1 ? info.tag.Artist() : std::string("(none)");
    };
    EXPECT_EQ(artistOf("A-One"), "A");
    EXPECT_EQ(artistOf("C-Three"), "C");
    EXPECT_EQ(artistOf("D-Four"), "(none)") << "cancelled before it";
    EXPECT_EQ(artistOf("B-Two"), "(none)") << "no longer in the playlist";
    EXPECT_FALSE(doc.FindById(ids[0])->HasInfo()) << "tagged songs are read again";
    EXPECT_TRUE(doc.FindById(ids[3])->HasInfo());
}

} // namespace
