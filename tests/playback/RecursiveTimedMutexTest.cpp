#include "playback/CRecursiveTimedMutex.h"

#include <chrono>
#include <future>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

TEST(RecursiveTimedMutexTest, TheHolderTakesItAgainAndOthersWaitUntilItIsFree) {
    CRecursiveTimedMutex mutex;
    ASSERT_TRUE(mutex.try_lock_for(10ms));
    ASSERT_TRUE(mutex.try_lock()) << "re-entrant for its holder";
    auto other = [&](std::chrono::milliseconds wait) {
        return std::async(std::launch::async, [&mutex, wait] {
            if (!mutex.try_lock_for(wait)) {
                return false;
            }
            mutex.unlock();
            return true;
        });
    };
    EXPECT_FALSE(other(20ms).get());
    mutex.unlock();
    EXPECT_FALSE(other(20ms).get()) << "still held once";
    auto waiter = other(5000ms);
    std::this_thread::sleep_for(10ms);
    mutex.unlock();
    EXPECT_TRUE(waiter.get());
}

TEST(RecursiveTimedMutexTest, WorksWithUniqueLock) {
    CRecursiveTimedMutex mutex;
    {
        std::unique_lock lock(mutex, std::defer_lock);
        ASSERT_TRUE(lock.try_lock_for(10ms));
    }
    std::lock_guard lock(mutex); // a free mutex: lock() takes it
}
