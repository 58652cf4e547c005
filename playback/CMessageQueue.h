#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>

// One message of a thread's queue: an identifier and one number of payload.
struct ThreadMessage {
    std::uint32_t nId = 0;
    std::uint64_t nParam = 0;
};

// The message queue of one worker thread, in the manner of a per-thread window-message
// queue: any thread posts, only the owning thread peeks and takes. Once closed (the owner
// is leaving), posts fail, so a sender never waits for a thread that will not answer.
//
// Threads: any thread may call Post, PostQuit and Close; the owning thread calls Peek,
// Take, Get and GetFor. One internal mutex guards the queue.
class CMessageQueue {
public:
    // The thread-quit message.
    static constexpr std::uint32_t kQuit = 0x0012;

    // Appends a message; false when the queue is closed. Any thread.
    bool Post(std::uint32_t nId, std::uint64_t nParam = 0);
    // Appends the thread-quit message; false when the queue is closed. Any thread.
    bool PostQuit();
    // Refuses every later post; messages already queued stay. Any thread.
    void Close();

    // Copies the first message without taking it out; false when the queue is empty.
    bool Peek(ThreadMessage& message) const;
    // Takes the first message out when there is one; false when the queue is empty.
    bool Take(ThreadMessage& message);
    // Waits for a message and takes it out (the owner's idle wait).
    void Get(ThreadMessage& message);
    // Waits at most timeout for a message; false when none came.
    bool GetFor(ThreadMessage& message, std::chrono::milliseconds timeout);

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_cvPosted;
    std::deque<ThreadMessage> m_messages;
    bool m_bClosed = false;
};
