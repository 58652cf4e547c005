#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

typedef struct _GstElement GstElement;
typedef struct _GstMessage GstMessage;

// One pipeline fed with the mix through an appsrc named "mix": the head of every tap.
// The appsrc never blocks its caller: it holds about two seconds and then drops the
// oldest blocks, so a stalled encoder or server never holds up the mixer.
//
// Threads: Push runs on the mixer thread only; everything else on the tap's own control
// thread (or the one that built it). Push may meet the pipeline in any state: while it is
// not playing, blocks are simply dropped.
class CGstTapPipeline {
public:
    CGstTapPipeline();
    ~CGstTapPipeline();
    CGstTapPipeline(const CGstTapPipeline&) = delete;
    CGstTapPipeline& operator=(const CGstTapPipeline&) = delete;

    // Builds "appsrc name=mix ! <tail>"; false, with GStreamer's reason, when it cannot.
    bool Build(const std::string& tail, std::string& error);
    // Sets the pipeline playing; the timestamps start again from zero.
    bool Play();
    // Back to NULL: every element lets go of its resources (the server connection, the file).
    void Halt();
    // Mixer thread: copies frames x 2 float samples into a buffer and queues it.
    void Push(const float* samples, std::size_t frames);
    // Ends the stream and waits for it to reach the sink (a file is finalised); false
    // when an error came instead or the time ran out.
    bool Finish(std::chrono::milliseconds limit);
    // The first error or end message on the bus within the time, or null; the caller
    // unrefs it.
    GstMessage* PopFault(std::chrono::milliseconds limit);
    // The element of the tail named name (a new reference is not taken).
    GstElement* Element(const char* name) const;
    GstElement* Pipeline() const { return m_pPipeline; }

private:
    GstElement* m_pPipeline = nullptr;
    GstElement* m_pSource = nullptr;
    std::atomic<std::uint64_t> m_nEpoch{0};
    // Mixer thread only.
    std::uint64_t m_nSeenEpoch = 0;
    std::uint64_t m_nFrames = 0;
};
