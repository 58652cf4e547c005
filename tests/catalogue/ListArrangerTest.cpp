#include "DocumentFakes.h"

#include "catalogue/CListArranger.h"
#include "catalogue/CMixorel2001Doc.h"
#include "catalogue/CPlaylistContent.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
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
    // The lines first ... last - 1, sorted: equal for two lists when that run holds the
    // same lines in any order.
    static std::vector<std::string> Sorted(const std::vector<std::string>& lines, std::size_t first,
                                           std::size_t last) {
        std::vector<std::string> run(lines.begin() + static_cast<std::ptrdiff_t>(first),
                                     lines.begin() + static_cast<std::ptrdiff_t>(last));
        std::sort(run.begin(), run.end());
        return run;
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

TEST_F(ListArrangerTest, ShuffleKeepsRegionsAndPermutesEachSection) {
    const std::vector<std::string> before = {"a", "b", "c",     "R:one",   "d", "e",
                                             "f", "g", "R:two", "R:three", "h", "i"};
    Load(before);
    for (std::uint64_t seed = 1; seed <= 50; ++seed) {
        ASSERT_TRUE(m_arranger.Shuffle(seed));
        const auto after = Lines();
        ASSERT_EQ(after.size(), before.size());
        EXPECT_EQ(after[3], "R:one");
        EXPECT_EQ(after[8], "R:two");
        EXPECT_EQ(after[9], "R:three");
        EXPECT_EQ(Sorted(after, 0, 3), Sorted(before, 0, 3));
        EXPECT_EQ(Sorted(after, 4, 8), Sorted(before, 4, 8));
        EXPECT_EQ(Sorted(after, 10, 12), Sorted(before, 10, 12));
    }
    EXPECT_EQ(m_doc.GetRegionList().size(), 3U);
    EXPECT_TRUE(m_doc.IsModified());
    EXPECT_EQ(m_view.m_redrawn.back(), -1);
    for (int i = 0; i < m_doc.GetCount(); ++i) {
        int index = -1;
        EXPECT_EQ(m_doc.FindById(m_doc.GetSongAt(i)->GetId(), &index), m_doc.GetSongAt(i));
        EXPECT_EQ(index, i);
        EXPECT_TRUE(m_doc.Contains(m_doc.GetSongAt(i)->GetLocation()));
    }
}

TEST_F(ListArrangerTest, EveryElementReachesEverySlot) {
    Load({"a", "b", "c", "d", "e"});
    std::vector<std::set<std::string>> seen(5);
    for (int run = 0; run < 400; ++run) {
        ASSERT_TRUE(m_arranger.Shuffle());
        const auto lines = Lines();
        for (std::size_t slot = 0; slot < lines.size(); ++slot) {
            seen[slot].insert(lines[slot]);
        }
    }
    for (const auto& slot : seen) {
        EXPECT_EQ(slot.size(), 5U);
    }
}

TEST_F(ListArrangerTest, PositionsAndMarksStayOnTheirSongs) {
    Load({"a", "b", "c", "d", "e", "f"});
    const std::string loopId = m_doc.GetSongAt(1)->GetId();
    const std::string scheduleId = m_doc.GetSongAt(4)->GetId();
    const std::string markedId = m_doc.GetSongAt(2)->GetId();
    m_doc.SetLoopPos(1);
    m_doc.SetSchedulePos(4);
    m_doc.MarkSong(2, CSong::kPlaying);
    ASSERT_TRUE(m_arranger.Sort(CListArranger::kTitle, false));
    EXPECT_EQ(Lines(), (Texts{"f", "e", "d", "c", "b", "a"}));
    EXPECT_EQ(m_doc.GetSongAt(m_doc.GetLoopPos())->GetId(), loopId);
    EXPECT_EQ(m_doc.GetSongAt(m_doc.GetSchedulePos())->GetId(), scheduleId);
    EXPECT_EQ(m_doc.GetSongAt(m_doc.FindMark(CSong::kPlaying))->GetId(), markedId);
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

TEST_F(ListArrangerTest, SortByDurationBitrateAndDate) {
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
    ASSERT_TRUE(m_arranger.Sort(CListArranger::kDuration, true));
    EXPECT_EQ(paths(), (Texts{"short", "tie", "fast", "long"}));
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
