#include "playback/CManualResetEvent.h"
#include "playback/CMessageQueue.h"

#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <tuple>

using namespace std::chrono_literals;

namespace {

// Whether the queue gave a message, and its id and parameter.
std::tuple<bool, std::uint32_t, std::uint64_t> Got(CMessageQueue& queue, bool bPeek) {
    ThreadMessage message;
    const bool bGot = bPeek ? queue.Peek(message) : queue.Take(message);
    return {bGot, message.nId, message.nParam};
}

} // namespace

TEST(MessageQueueTest, PeekLeavesTheMessageAndTakeRemovesItInOrder) {
    CMessageQueue queue;
    EXPECT_FALSE(std::get<0>(Got(queue, true)));
    EXPECT_FALSE(std::get<0>(Got(queue, false)));
    ASSERT_TRUE(queue.Post(7, 70));
    ASSERT_TRUE(queue.PostQuit());
    EXPECT_EQ(Got(queue, true), std::tuple(true, 7u, 70u));
    EXPECT_EQ(Got(queue, true), std::tuple(true, 7u, 70u));
    EXPECT_EQ(Got(queue, false), std::tuple(true, 7u, 70u));
    EXPECT_EQ(std::get<1>(Got(queue, false)), CMessageQueue::kQuit);
    EXPECT_FALSE(std::get<0>(Got(queue, false)));
}

// Also: on an empty queue GetFor times out.
TEST(MessageQueueTest, GetWaitsForAMessageFromAnotherThread) {
    CMessageQueue queue;
    ThreadMessage message;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(queue.GetFor(message, 30ms));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 25ms);
    auto poster = std::async(std::launch::async, [&] {
        std::this_thread::sleep_for(20ms);
        return queue.Post(3, 33);
    });
    ASSERT_TRUE(queue.GetFor(message, 5000ms));
    EXPECT_EQ(message.nId, 3u);
    EXPECT_EQ(message.nParam, 33u);
    EXPECT_TRUE(poster.get());
}

TEST(MessageQueueTest, AClosedQueueRefusesPostsButKeepsWhatItHolds) {
    CMessageQueue queue;
    ASSERT_TRUE(queue.Post(1));
    queue.Close();
    EXPECT_FALSE(queue.Post(2));
    EXPECT_FALSE(queue.PostQuit());
    EXPECT_EQ(Got(queue, false), std::tuple(true, 1u, 0u));
    EXPECT_FALSE(std::get<0>(Got(queue, false)));
}

// It stays signalled until reset, and releases a waiter on another thread.
TEST(ManualResetEventTest, StaysSignalledUntilReset) {
    CManualResetEvent event;
    EXPECT_FALSE(event.IsSet());
    EXPECT_FALSE(event.Wait(10ms));
    event.Set();
    EXPECT_TRUE(event.Wait(0ms));
    EXPECT_TRUE(event.Wait(0ms)) << "a manual-reset event releases every waiter";
    event.Reset();
    EXPECT_FALSE(event.IsSet());
    auto waiter = std::async(std::launch::async, [&] { return event.Wait(5000ms); });
    std::this_thread::sleep_for(10ms);
    event.Set();
    EXPECT_TRUE(waiter.get());
}
