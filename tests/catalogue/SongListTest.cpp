#include "catalogue/CProcessingQueue.h"
#include "catalogue/CSongList.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

std::unique_ptr<CSong> NewSong(const std::string& path) {
    auto song = std::make_unique<CSong>();
    song->SetPathText(path);
    return song;
}

// The identity index follows inserts in the middle, removals and replaces; locations are
// counted per record.
TEST(SongListTest, IdentitiesAndLocationsFollowInsertsRemovalsAndReplaces) {
    CSongList list;
    std::vector<std::string> ids;
    for (int n = 0; n < 50; ++n) {
        ids.push_back(list.Insert(list.GetCount(), NewSong("/" + std::to_string(n))).GetId());
    }
    const std::string head = list.Insert(0, NewSong("/head")).GetId();
    const std::string middle = list.Insert(20, NewSong("/10")).GetId();
    EXPECT_EQ((std::vector<std::int64_t>{list.FindIndex(head), list.FindIndex(middle),
                                         list.FindIndex(ids[49])}),
              (std::vector<std::int64_t>{0, 20, 51}));
    std::vector<bool> flags(list.GetCount(), false);
    flags[0] = flags[10] = flags[20] = true;
    const auto removed = list.RemoveFlagged(flags);
    ASSERT_EQ(removed.size(), 3u);
    EXPECT_EQ(removed[1]->GetId(), ids[9]);
    EXPECT_EQ(std::pair(list.FindIndex(head), list.FindIndex(middle)), std::pair(-1L, -1L));
    for (std::size_t index = 0; index < list.GetCount(); ++index) {
        EXPECT_EQ(list.FindIndex(list.GetAt(index)->GetId()), static_cast<std::int64_t>(index));
    }
    EXPECT_FALSE(list.ContainsLocation("/9"));
    EXPECT_TRUE(list.ContainsLocation("/10")); // the first of the two records is left
    list.UpdateLocation("/10", "/other");
    EXPECT_FALSE(list.ContainsLocation("/10"));
    EXPECT_TRUE(list.ContainsLocation("/other"));
    const std::unique_ptr<CSong> old = list.Replace(9, NewSong("/third")); // the old "/10"
    EXPECT_EQ(list.FindIndex(old->GetId()), -1);
    EXPECT_EQ(list.FindIndex(list.GetAt(9)->GetId()), 9);
    EXPECT_TRUE(list.ContainsLocation("/third"));
    list.Clear();
    EXPECT_FALSE(list.ContainsLocation("/third"));
    EXPECT_EQ(list.GetCount(), 0u);
}

TEST(ProcessingQueueTest, FrontIsTheLongestWaitingThroughRemovesReAddsAndCompaction) {
    CProcessingQueue queue;
    EXPECT_EQ(queue.Front(), "");
    for (const char* id : {"1", "2", "3"}) {
        EXPECT_TRUE(queue.Add(id));
    }
    EXPECT_FALSE(queue.Add("2")); // once only
    EXPECT_TRUE(queue.Remove("1"));
    EXPECT_FALSE(queue.Remove("1"));
    EXPECT_TRUE(queue.Add("1")); // queued again: behind 3
    EXPECT_EQ(queue.GetAll(), (std::vector<std::string>{"2", "3", "1"}));
    EXPECT_EQ(queue.Front(), "2");
    queue.Remove("2");
    queue.Remove("3");
    // Many removes from the head compact the slots; the order stays.
    for (int i = 100; i < 200; ++i) {
        queue.Add(std::to_string(i));
    }
    queue.Remove("1");
    for (int i = 100; i < 195; ++i) {
        queue.Remove(std::to_string(i));
        EXPECT_EQ(queue.Front(), std::to_string(i + 1));
    }
    EXPECT_TRUE(queue.Add("3"));
    EXPECT_TRUE(queue.Remove("197"));
    EXPECT_TRUE(queue.Add("197"));
    EXPECT_EQ(queue.GetAll(), (std::vector<std::string>{"195", "196", "198", "199", "3", "197"}));
    EXPECT_EQ(queue.GetCount(), 6u);
    EXPECT_TRUE(queue.Contains("3"));
    queue.Clear();
    EXPECT_TRUE(queue.IsEmpty());
}

} // namespace
