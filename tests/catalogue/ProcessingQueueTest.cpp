#include "catalogue/CProcessingQueue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(ProcessingQueueTest, FrontIsTheLongestWaitingThroughRemovesReAddsAndCompaction) {
    CProcessingQueue queue;
    EXPECT_EQ(queue.Front(), "");
    for (const char* id : {"1", "2", "3"}) {
        EXPECT_TRUE(queue.Add(id));
    }
    EXPECT_FALSE(queue.Add("2")); // once only
    EXPECT_TRUE(queue.Remove("1"));
    EXPECT_FALSE(queue.Remove("1"));
    EXPECT_EQ(queue.Front(), "2");
    EXPECT_TRUE(queue.Remove("2"));
    EXPECT_TRUE(queue.Add("1")); // queued again: behind 3
    EXPECT_EQ(queue.Front(), "3");
    EXPECT_TRUE(queue.Remove("3"));
    EXPECT_EQ(queue.Front(), "1");
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
