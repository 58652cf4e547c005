#pragma once

#include <cstddef>

// A listener to the finished mix: the level meter, the recorder, the stream encoder.
// The mixing engine hands every block it outputs to each tap, in order, on the mixer
// thread; while the sound output is lost it goes on handing over silence at the same
// pace, so a stream or a recording never stops with the local output.
//
// Threads: OnMixBlock runs on the mixer thread and must never block or allocate much: a
// tap copies the samples into its own queue (an appsrc that drops when full) and returns.
class IMixTap {
public:
    // The mix format: interleaved 32-bit float, this many channels at this rate.
    static constexpr int kChannels = 2;
    static constexpr int kRate = 48000;

    virtual ~IMixTap() = default;
    // samples holds frames x kChannels values in -1..1 (a loud mix may go past them).
    virtual void OnMixBlock(const float* samples, std::size_t frames) = 0;
};
