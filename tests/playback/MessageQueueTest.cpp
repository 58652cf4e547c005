#include "playback/CManualResetEvent.h"
#include "playback/CMessageQueue.h"

#include <chrono>
#include <future>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

TEST(MessageQueueTest, PeekLeavesTheMessageAndTakeRemovesItInOrder) {
    CMessageQueue queue;
    ThreadMessage message;
    EXPECT_FALSE(queue.Peek(message));
    EXPECT_FALSE(queue.Take(message));
    ASSERT_TRUE(queue.Post(7, 70));
    ASSERT_TRUE(queue.PostQuit());
    ASSERT_TRUE(queue.Peek(message));
    EXPECT_EQ(message.nId, 7u);
    ASSERT_TRUE(queue.Peek(message));
    EXPECT_EQ(message.nParam, 70u);
    ASSERT_TRUE(queue.Take(message));
    EXPECT_EQ(message.nId, 7u);
    ASSERT_TRUE(queue.Take(message));
    EXPECT_EQ(message.nId, CMessageQueue::kQuit);
    EXPECT_FALSE(queue.Take(message));
}

TEST(MessageQueueTest, GetWaitsForAMessageFromAnotherThread) {
    CMessageQueue queue;
    auto poster = std::async(std::launch::async, [&] {
        std::this_thread::sleep_for(20ms);
        return queue.Post(3, 33);
    });
    ThreadMessage message;
    ASSERT_TRUE(queue.GetFor(message, 5000ms));
    EXPECT_EQ(message.nId, 3u);
    EXPECT_EQ(message.nParam, 33u);
    EXPECT_TRUE(poster.get());
}

TEST(MessageQueueTest, GetForTimesOutOnAnEmptyQueue) {
    CMessageQueue queue;
    ThreadMessage message;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(queue.GetFor(message, 30ms));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 25ms);
}

TEST(MessageQueueTest, AClosedQueueRefusesPostsButKeepsWhatItHolds) {
    CMessageQueue queue;
    ASSERT_TRUE(queue.Post(1));
    queue.Close();
    EXPECT_FALSE(queue.Post(2));
    EXPECT_FALSE(queue.PostQuit());
    ThreadMessage message;
    ASSERT_TRUE(queue.Take(message));
    EXPECT_EQ(message.nId, 1u);
    EXPECT_FALSE(queue.Take(message));
}

TEST(ManualResetEventTest, StaysSignalledUntilReset) {
    CManualResetEvent event;
    EXPECT_FALSE(event.IsSet());
    EXPECT_FALSE(event.Wait(10ms));
    event.Set();
    EXPECT_TRUE(event.Wait(0ms));
    EXPECT_TRUE(event.Wait(0ms)) << "a manual-reset event releases every waiter";
    event.Reset();
    EXPECT_FALSE(event.IsSet());
}

TEST(ManualResetEventTest, ReleasesAWaiterOnAnotherThread) {
    CManualResetEvent event;
    auto waiter = std::async(std::launch::async, [&] { return event.Wait(5000ms); });
    std::this_thread::sleep_for(10ms);
    event.Set();
    EXPECT_TRUE(waiter.get());
}
