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

// What the song analysis knows: the Loudness column's text, and a decoded duration that
// replaces the header's estimate only where that estimate is plainly wrong.
TEST(PlaylistColumnsTest, AnalysedFactsFillLoudnessAndMendLyingDurations) {
    const CSong vbr = MakeSong("/music/vbr.mp3", 3686400, 128000); // header: 230 s
    const CSong cbr = MakeSong("/music/cbr.mp3", 3686400, 128000);
    const CSong unknown = MakeSong("/music/new.mp3", 3686400, 128000);
    CSong wav = MakeSong("/music/take.wav"); // read, but no MPEG header: no estimate
    wav.SetInfo(5292000, 0, 0, 0);
    wav.SetInfoFlag(true);
    CPlaylistColumns::SetAnalysisSource(
        [](const std::string& path) -> std::optional<CPlaylistColumns::AnalysedFacts> {
            if (path == "/music/vbr.mp3") {
                return CPlaylistColumns::AnalysedFacts{"-9.5 LUFS, -8.5 dB", 371};
            }
            if (path == "/music/take.wav") {
                return CPlaylistColumns::AnalysedFacts{"-20.1 LUFS, +2.1 dB", 30};
            }
            if (path == "/music/cbr.mp3") {
                return CPlaylistColumns::AnalysedFacts{"-14.0 LUFS, -4.0 dB", 231};
            }
            return std::nullopt;
        });
    const auto cells = [](const CSong& song) {
        return Texts{CPlaylistColumns::CellText(song, CPlaylistColumns::kDuration),
                     CPlaylistColumns::CellText(song, CPlaylistColumns::kLoudness)};
    };
    EXPECT_EQ(cells(vbr), (Texts{"6:11", "-9.5 LUFS, -8.5 dB"}));
    EXPECT_EQ(cells(cbr), (Texts{"3:50", "-14.0 LUFS, -4.0 dB"}));
    EXPECT_EQ(cells(unknown), (Texts{"3:50", ""}));
    EXPECT_EQ(cells(wav), (Texts{"0:30", "-20.1 LUFS, +2.1 dB"}));
    EXPECT_EQ(std::string(CPlaylistColumns::Heading(CPlaylistColumns::kLoudness)), "Loudness");
    EXPECT_EQ(CPlaylistColumns::DefaultWidth(CPlaylistColumns::kLoudness), 0) << "hidden at first";
    CPlaylistColumns::SetAnalysisSource({});
    EXPECT_EQ(cells(vbr), (Texts{"3:50", ""}));
}

} // namespace
