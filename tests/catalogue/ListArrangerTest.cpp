#include "DocumentFakes.h"

#include "catalogue/CListArranger.h"
#include "catalogue/CMixorel2001Doc.h"
#include "catalogue/CPlaylistContent.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

// "R:name" makes a region line; anything else a song whose path and title are that text.
CSong MakeLine(const std::string& text) {
    CSong song;
    song.SetInfoFlag(true);
    if (text.starts_with("R:")) {
        song.SetRegion(true);
        song.SetTitle(text.substr(2));
    } else {
        song.SetPathText(text);
        song.SetTitle(text);
    }
    return song;
}

// A read song of one title whose file is fileDay days old.
CSong DatedSong(const std::string& path, std::uint32_t size, std::int32_t bitrate, double fileDay) {
    CSong song = MakeSong(path, size, bitrate);
    song.SetTitle("x");
    song.SetFileDate(CDateTime(fileDay, CDateTime::kValid));
    return song;
}

class ListArrangerTest : public ::testing::Test {
protected:
    ListArrangerTest() { m_doc.AddView(&m_view); }

    void Load(const std::vector<std::string>& lines) {
        std::vector<CSong> songs;
        for (const std::string& line : lines) {
            songs.push_back(MakeLine(line));
        }
        LoadSongs(std::move(songs));
    }
    void LoadSongs(std::vector<CSong> songs) {
        CPlaylistContent content;
        content.m_songs = std::move(songs);
        m_doc.Serialize(content);
        m_doc.SetModifiedFlag(false);
        m_view.m_redrawn.clear();
    }
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        for (int i = 0; i < m_doc.GetCount(); ++i) {
            const CSong* song = m_doc.GetSongAt(i);
            lines.push_back(song->IsRegion() ? "R:" + song->GetTitle() : song->GetPath());
        }
        return lines;
    }
    FakeView m_view;
    CMixorel2001Doc m_doc;
    CListArranger m_arranger{m_doc};
};

// Sections are the runs between region lines; a list of one line or none sorts and
// shuffles as it is.
TEST_F(ListArrangerTest, SectionsAreTheRunsBetweenRegionLines) {
    Load({"R:first", "a", "b", "R:empty", "R:second", "c"});
    std::vector<std::pair<std::size_t, std::size_t>> sections;
    for (const auto& section : CListArranger::FindSections(m_doc)) {
        sections.emplace_back(section.first, section.count);
    }
    EXPECT_EQ(sections, (std::vector<std::pair<std::size_t, std::size_t>>{{1, 2}, {5, 1}}));
    Load({"R:r", "only"});
    ASSERT_TRUE(m_arranger.Shuffle(3));
    EXPECT_EQ(Lines(), (Texts{"R:r", "only"}));
    Load(Texts{});
    EXPECT_TRUE(m_arranger.Sort(CListArranger::kTitle, true));
    EXPECT_TRUE(m_arranger.Shuffle(1));
    EXPECT_EQ(m_doc.GetCount(), 0);
}

// Region lines stay where they are; every song reaches every slot of its own section and
// no other; the indexes follow.
TEST_F(ListArrangerTest, EveryElementReachesEverySlot) {
    Load({"a", "b", "c", "d", "e", "R:one", "R:two", "f", "g"});
    std::vector<std::set<std::string>> seen(9);
    for (int run = 0; run < 400; ++run) {
        ASSERT_TRUE(m_arranger.Shuffle());
        const auto lines = Lines();
        ASSERT_EQ(lines.size(), seen.size());
        for (std::size_t slot = 0; slot < lines.size(); ++slot) {
            seen[slot].insert(lines[slot]);
        }
    }
    const std::set<std::string> first{"a", "b", "c", "d", "e"};
    const std::set<std::string> second{"f", "g"};
    EXPECT_EQ(seen, (std::vector<std::set<std::string>>{
                        first, first, first, first, first, {"R:one"}, {"R:two"}, second, second}));
    EXPECT_EQ(m_doc.GetRegionList().size(), 2U);
    EXPECT_TRUE(m_doc.IsModified());
    EXPECT_EQ(m_view.m_redrawn.back(), -1);
    for (int i = 0; i < m_doc.GetCount(); ++i) {
        EXPECT_EQ(m_doc.IndexOf(m_doc.GetSongAt(i)), i);
        EXPECT_TRUE(m_doc.Contains(m_doc.GetSongAt(i)->GetLocation()));
    }
}

TEST_F(ListArrangerTest, SortByTitleIgnoresCaseAndKeepsTiesInOrder) {
    Load({"R:r", "b", "ABC", "a", "abc", "R:s", "z", "y"});
    ASSERT_TRUE(m_arranger.Sort(CListArranger::kTitle, true));
    EXPECT_EQ(Lines(), (Texts{"R:r", "a", "ABC", "abc", "b", "R:s", "y", "z"}));
    ASSERT_TRUE(m_arranger.Sort(CListArranger::kTitle, false));
    EXPECT_EQ(Lines(), (Texts{"R:r", "b", "ABC", "abc", "a", "R:s", "z", "y"}));

    // Accented, Greek and Cyrillic letters fold too.
    Load({"Émile", "élan", "zebra", "ÉLAN", "ωμέγα", "Άλφα", "Ωμέγα", "яблоко", "Арбуз"});
    ASSERT_TRUE(m_arranger.Sort(CListArranger::kTitle, true));
    EXPECT_EQ(Lines(), (Texts{"zebra", "élan", "ÉLAN", "Émile", "Άλφα", "ωμέγα", "Ωμέγα", "Арбуз",
                              "яблоко"}));
}

TEST_F(ListArrangerTest, SortByDurationBitrateAndDateKeepPositionsOnTheirSongs) {
    std::vector<CSong> songs;
    // 128 kbit/s is 16000 bytes a second.
    songs.push_back(DatedSong("/long", 16000 * 300, 128000, 30.0));
    songs.push_back(DatedSong("/short", 16000 * 10, 128000, 10.0));
    songs.push_back(DatedSong("/fast", 40000 * 60, 320000, 20.0));
    songs.push_back(DatedSong("/tie", 16000 * 10, 128000, 10.0));
    LoadSongs(std::move(songs));
    auto paths = [this] {
        std::vector<std::string> lines;
        for (const std::string& line : Lines()) {
            lines.push_back(line.substr(1));
        }
        return lines;
    };
    // The positions and the mark stay on their songs.
    m_doc.SetLoopPos(0);
    m_doc.SetSchedulePos(1);
    m_doc.MarkSong(2, CSong::kPlaying);
    ASSERT_TRUE(m_arranger.Sort(CListArranger::kDuration, true));
    EXPECT_EQ(paths(), (Texts{"short", "tie", "fast", "long"}));
    EXPECT_EQ(m_doc.GetLoopPos(), 3);
    EXPECT_EQ(m_doc.GetSchedulePos(), 0);
    EXPECT_EQ(m_doc.FindMark(CSong::kPlaying), 2);
    ASSERT_TRUE(m_arranger.Sort(CListArranger::kBitrate, false));
    EXPECT_EQ(paths(), (Texts{"fast", "short", "tie", "long"}));
    ASSERT_TRUE(m_arranger.Sort(CListArranger::kFileDate, true));
    EXPECT_EQ(paths(), (Texts{"short", "tie", "fast", "long"}));
    ASSERT_TRUE(m_arranger.Sort(CListArranger::kFileDate, false));
    EXPECT_EQ(paths(), (Texts{"long", "fast", "short", "tie"}));
}

TEST_F(ListArrangerTest, RearrangeRefusesToMoveRegionLinesOrBadOrders) {
    Load({"a", "R:r", "b"});
    EXPECT_FALSE(m_doc.RearrangeLines({1, 0, 2}));
    EXPECT_FALSE(m_doc.RearrangeLines({0, 0, 2}));
    EXPECT_FALSE(m_doc.RearrangeLines({0, 1}));
    EXPECT_TRUE(m_doc.RearrangeLines({2, 1, 0}));
    EXPECT_EQ(Lines(), (Texts{"b", "R:r", "a"}));
}

} // namespace
