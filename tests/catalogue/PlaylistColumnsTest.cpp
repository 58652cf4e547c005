#include "DocumentFakes.h"

#include "catalogue/CMixorel2001Doc.h"
#include "catalogue/CPlaylistColumns.h"

#include <gtest/gtest.h>

namespace {

// The Song, Duration and Info cells of a line.
Texts Cells(const CSong& song) {
    Texts cells;
    for (int column = 0; column < 3; ++column) {
        cells.push_back(CPlaylistColumns::CellText(song, column));
    }
    return cells;
}

TEST(PlaylistColumnsTest, CellTextsOfALine) {
    CSong song = MakeSong("/music/a.mp3", 3686400, 128000); // 230 s at 128 kbit/s
    song.SetTitle("Artist - Song");
    EXPECT_EQ(Cells(song), (Texts{"Artist - Song", "3:50", "128 - 44"}));
    song.SetInfoFlag(false);
    EXPECT_EQ(Cells(song), (Texts{"Artist - Song", "", ""}));
    EXPECT_EQ(Cells(CMixorel2001Doc::MakeRegionHeader("Dinner", CDateTime::Null(), 0, 0)),
              (Texts{"Dinner", "region", "region"}));
}

} // namespace
