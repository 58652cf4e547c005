#pragma once

#include "loudness/LoudnessMeasurement.h"

#include <cstddef>
#include <deque>
#include <memory>

#include <ebur128.h>

// libebur128 fed in 100 ms blocks of interleaved float frames, keeping the momentary
// loudness and sample peak of each block for the head and tail envelopes. One thread.
class CEbur128Meter {
public:
    CEbur128Meter(unsigned channels, unsigned long rate, bool truePeak);
    ~CEbur128Meter();
    CEbur128Meter(const CEbur128Meter&) = delete;
    CEbur128Meter& operator=(const CEbur128Meter&) = delete;

    bool IsValid() const { return m_pState != nullptr; }
    void Add(const float* frames, std::size_t count);
    std::size_t FrameCount() const { return m_nFrames; }
    // Closes the last, partial block and fills in the measurement.
    void Finish(LoudnessMeasurement& measurement);

private:
    void EndBlock();

    ebur128_state* m_pState = nullptr;
    unsigned m_nChannels;
    unsigned long m_nRate;
    bool m_bTruePeak;
    std::size_t m_nBlockFrames;
    std::size_t m_nInBlock = 0;
    std::size_t m_nFrames = 0;
    float m_fBlockPeak = 0.0f;
    float m_fPeak = 0.0f;
    std::int64_t m_nBlocks = 0;
    LoudnessMeasurement m_envelopes;
    std::deque<std::pair<float, float>> m_tail;
};
