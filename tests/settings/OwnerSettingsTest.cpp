#include "settings/CColumnLayoutSettings.h"
#include "settings/CMemorySettingsStore.h"
#include "settings/CRecentAlbumSettings.h"
#include "settings/CRecentPlaylistSettings.h"
#include "settings/CSharedSettings.h"
#include "settings/CWindowPlacementSettings.h"
#include "settings/SettingsKeys.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace {

TEST(SettingsKeysTest, IndexedAndBarSectionNames) {
    EXPECT_EQ(SettingsKeys::Indexed("name", 0), "name0");
    EXPECT_EQ(SettingsKeys::Indexed("Size", 12), "Size12");
    EXPECT_EQ(SettingsKeys::BarSizeSection(SettingsKeys::kBarSizeProfile, 59420),
              "qmx2001barstate-SCBar-59420");
}

std::vector<std::int32_t> Values(const CWindowPlacementSettings& p) {
    return {p.m_nX, p.m_nY, p.m_nWidth, p.m_nHeight, p.m_nCmdShow, p.m_nFlags};
}

TEST(WindowPlacementSettingsTest, DefaultsAndRoundTrip) {
    CMemorySettingsStore store;
    CWindowPlacementSettings placement;
    placement.Load(store);
    EXPECT_EQ(Values(placement), (std::vector<std::int32_t>{100, 100, 543, 561, 5, 0}));
    placement = {-20, 30, 1024, 700, 3, 2};
    ASSERT_TRUE(placement.Save(store));
    CWindowPlacementSettings loaded;
    loaded.Load(store);
    EXPECT_EQ(Values(loaded), Values(placement));
    EXPECT_EQ(store.GetProfileInt("position", "flags", -1), 2);
}

TEST(ColumnLayoutSettingsTest, MissingOrNegativeValuesMeanNotStoredAndRoundTrip) {
    CMemorySettingsStore store;
    store.WriteProfileInt("playlistview", "Col0", 2);
    store.WriteProfileInt("playlistview", "Col1", -5);
    store.WriteProfileInt("playlistview", "Col2", 9); // no such column
    store.WriteProfileInt("playlistview", "Size0", 120);
    store.WriteProfileInt("playlistview", "Size2", -7);
    CColumnLayoutSettings layout;
    layout.Load(4, store);
    const int columns[] = {2, 1, 2, 3};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(layout.GetColumnAt(i), columns[i]) << i;
    }
    const std::pair<int, int> sizes[] = {{0, 120}, {1, -1}, {2, -1}, {7, -1}}; // 7: no column
    for (const auto& [column, size] : sizes) {
        EXPECT_EQ(layout.GetSize(column), size) << column;
    }

    layout.m_anOrder = {1, 0, 2};
    layout.m_anSize = {80, 200, 45};
    ASSERT_TRUE(layout.Save(store));
    CColumnLayoutSettings loaded;
    loaded.Load(3, store);
    EXPECT_EQ(loaded.m_anOrder, layout.m_anOrder);
    EXPECT_EQ(loaded.m_anSize, layout.m_anSize);
    EXPECT_EQ(store.GetProfileInt("PlaylistView", "col0", -1), 1);
}

TEST(RecentAlbumSettingsTest, KeepsFourEntriesAndSkipsEmptyOnes) {
    CMemorySettingsStore store;
    CRecentAlbumSettings recent;
    recent.m_astrPaths = {"/a.qma", "/b.qma"};
    ASSERT_TRUE(recent.Save(store));
    EXPECT_EQ(store.GetProfileString("projectmru", "1", ""), "/a.qma");
    EXPECT_EQ(store.GetProfileString("projectmru", "3", "x"), "");
    store.WriteProfileString("projectmru", "4", "/d.qma");
    store.WriteProfileString("projectmru", "5", "/ignored.qma");
    CRecentAlbumSettings loaded;
    loaded.Load(store);
    EXPECT_EQ(loaded.m_astrPaths, (std::vector<std::string>{"/a.qma", "/b.qma", "/d.qma"}));
}

TEST(RecentPlaylistSettingsTest, MostRecentFirstOnceAndFourAtMost) {
    CMemorySettingsStore store;
    CRecentPlaylistSettings recent;
    for (const char* path : {"/a.qmx", "/b.qmx", "/c.qmx", "/a.qmx", "/d.qmx", "/e.qmx"}) {
        recent.Add(path);
    }
    EXPECT_EQ(recent.m_astrPaths,
              (std::vector<std::string>{"/e.qmx", "/d.qmx", "/a.qmx", "/c.qmx"}));
    recent.Remove("/d.qmx");
    ASSERT_TRUE(recent.Save(store));
    EXPECT_EQ(store.GetProfileString("recent file list", "file1", ""), "/e.qmx");
    EXPECT_EQ(store.GetProfileString("recent file list", "file4", "x"), "");
    CRecentPlaylistSettings loaded;
    loaded.Load(store);
    EXPECT_EQ(loaded.m_astrPaths, (std::vector<std::string>{"/e.qmx", "/a.qmx", "/c.qmx"}));
}

TEST(SharedSettingsTest, ReloadWhileOtherThreadsReadCopies) {
    CMemorySettingsStore store;
    CSharedSettings shared(store);
    std::atomic<bool> stop{false};
    std::atomic<int> reads{0};
    std::thread reader([&] {
        while (!stop.load()) {
            const CSettings copy = shared.Get();
            EXPECT_TRUE(copy.m_strId3Tags == "%3 - %4" ||
                        copy.m_strId3Tags.rfind("pattern", 0) == 0);
            reads.fetch_add(1);
        }
    });
    // Reload at least 300 times, and on until the reader has run (a loaded machine may
    // not schedule it at once), within a bounded time.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    int i = 0;
    for (; i < 300 || (reads.load() == 0 && std::chrono::steady_clock::now() < deadline); ++i) {
        store.WriteProfileString("list", "id3tags", "pattern " + std::to_string(i));
        shared.Reload();
    }
    stop.store(true);
    reader.join();
    EXPECT_GT(reads.load(), 0);
    EXPECT_EQ(shared.Get().m_strId3Tags, "pattern " + std::to_string(i - 1));
}

} // namespace
