#include "catalogue/CMixorel2001Doc.h"
#include "catalogue/CPlaylistColumns.h"

#include <gtest/gtest.h>

namespace {

struct CellCase {
    const char* name;
    CSong (*make)();
    std::vector<std::string> cells; // Song, Duration, Info
};

CSong Processed() {
    CSong song;
    song.SetPathText("/music/a.mp3");
    song.SetTitle("Artist - Song");
    song.SetInfo(3686400, 128000, 44100, 1); // 230 s at 128 kbit/s
    song.SetInfoFlag(true);
    return song;
}

CSong Unprocessed() {
    CSong song = Processed();
    song.SetInfoFlag(false);
    return song;
}

CSong Region() {
    return CMixorel2001Doc::MakeRegionHeader("Dinner", CDateTime::Null(), 0, 0);
}

class PlaylistColumnsTest : public ::testing::TestWithParam<CellCase> {};

TEST_P(PlaylistColumnsTest, CellTextsOfALine) {
    const CellCase& c = GetParam();
    const CSong song = c.make();
    for (int column = 0; column < 3; ++column) {
        EXPECT_EQ(CPlaylistColumns::CellText(song, column), c.cells[column]) << column;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlaylistColumnsTest,
    ::testing::Values(CellCase{"Processed", Processed, {"Artist - Song", "3:50", "128 - 44"}},
                      CellCase{"Unprocessed", Unprocessed, {"Artist - Song", "", ""}},
                      CellCase{"Region", Region, {"Dinner", "region", "region"}}),
    [](const auto& param) { return std::string(param.param.name); });

} // namespace
