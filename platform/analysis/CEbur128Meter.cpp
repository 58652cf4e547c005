#include "platform/analysis/CEbur128Meter.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

float ToDb(double amplitude) {
    return amplitude > 0.0 ? static_cast<float>(20.0 * std::log10(amplitude))
                           : -std::numeric_limits<float>::infinity();
}

} // namespace

CEbur128Meter::CEbur128Meter(unsigned channels, unsigned long rate, bool truePeak)
    : m_nChannels(channels), m_nRate(rate), m_bTruePeak(truePeak),
      m_nBlockFrames(std::max<std::size_t>(1, rate / 10)) {
    int mode = EBUR128_MODE_M | EBUR128_MODE_I | EBUR128_MODE_LRA | EBUR128_MODE_HISTOGRAM;
    if (truePeak) {
        mode |= EBUR128_MODE_TRUE_PEAK;
    }
    if (channels > 0 && rate >= 8 && rate <= 2822400) {
        m_pState = ebur128_init(channels, rate, mode);
    }
}

CEbur128Meter::~CEbur128Meter() {
    if (m_pState != nullptr) {
        ebur128_destroy(&m_pState);
    }
}

void CEbur128Meter::Add(const float* frames, std::size_t count) {
    while (count > 0) {
        const std::size_t take = std::min(count, m_nBlockFrames - m_nInBlock);
        ebur128_add_frames_float(m_pState, frames, take);
        const float* end = frames + take * m_nChannels;
        for (const float* s = frames; s < end; ++s) {
            m_fBlockPeak = std::max(m_fBlockPeak, std::fabs(*s));
        }
        frames = end;
        count -= take;
        m_nInBlock += take;
        m_nFrames += take;
        if (m_nInBlock == m_nBlockFrames) {
            EndBlock();
        }
    }
}

void CEbur128Meter::EndBlock() {
    double momentary = -HUGE_VAL;
    ebur128_loudness_momentary(m_pState, &momentary);
    const float m = std::isfinite(momentary) ? static_cast<float>(momentary)
                                             : -std::numeric_limits<float>::infinity();
    const float peak = ToDb(m_fBlockPeak);
    if (m_envelopes.headMomentaryLufs.size() < LoudnessMeasurement::kEnvelopeBlocks) {
        m_envelopes.headMomentaryLufs.push_back(m);
        m_envelopes.headPeakDbfs.push_back(peak);
    }
    m_tail.emplace_back(m, peak);
    if (m_tail.size() > LoudnessMeasurement::kEnvelopeBlocks) {
        m_tail.pop_front();
    }
    m_fPeak = std::max(m_fPeak, m_fBlockPeak);
    m_fBlockPeak = 0.0f;
    m_nInBlock = 0;
    ++m_nBlocks;
}

void CEbur128Meter::Finish(LoudnessMeasurement& m) {
    if (m_nInBlock > 0) {
        EndBlock();
    }
    m = std::move(m_envelopes);
    m.nTailFirstBlock = m_nBlocks - static_cast<std::int64_t>(m_tail.size());
    m.tailMomentaryLufs.clear();
    m.tailPeakDbfs.clear();
    for (const auto& [momentary, peak] : m_tail) {
        m.tailMomentaryLufs.push_back(momentary);
        m.tailPeakDbfs.push_back(peak);
    }
    m.dDurationSeconds = static_cast<double>(m_nFrames) / static_cast<double>(m_nRate);
    double global = -HUGE_VAL;
    ebur128_loudness_global(m_pState, &global);
    m.dIntegratedLufs = std::isfinite(global) ? global : -std::numeric_limits<double>::infinity();
    double range = 0.0;
    m.dLoudnessRangeLu = ebur128_loudness_range(m_pState, &range) == EBUR128_SUCCESS ? range : 0.0;
    m.dSamplePeakDbfs = ToDb(m_fPeak);
    if (m_bTruePeak) {
        double highest = 0.0;
        for (unsigned c = 0; c < m_nChannels; ++c) {
            double peak = 0.0;
            if (ebur128_true_peak(m_pState, c, &peak) == EBUR128_SUCCESS) {
                highest = std::max(highest, peak);
            }
        }
        m.truePeakDbtp = ToDb(highest);
    }
}
