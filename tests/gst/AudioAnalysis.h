#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <numbers>
#include <utility>
#include <vector>

// Measurements on a recorded sound: the level of a tone over short windows (Goertzel)
// and the peaks of what lies above about 5 kHz, where the test tones have next to nothing
// and a click (a jump in the waveform) has most of its energy.
namespace AudioAnalysis {

// measure(first sample, count) over windows of 50 ms, one value every 10 ms: value i
// covers the samples from i x 10 ms on.
template <typename Measure>
std::vector<double> OverWindows(const std::vector<float>& samples, int nRate, Measure measure) {
    const auto window = static_cast<std::size_t>(nRate / 20);
    const auto hop = static_cast<std::size_t>(nRate / 100);
    std::vector<double> values;
    for (std::size_t at = 0; hop > 0 && at + window <= samples.size(); at += hop) {
        values.push_back(measure(samples.data() + at, window));
    }
    return values;
}

// Amplitude of a tone at frequency over those windows (Hann weighted).
inline std::vector<double> ToneLevels(const std::vector<float>& samples, int nRate,
                                      double frequency) {
    const double coefficient = 2.0 * std::cos(2.0 * std::numbers::pi * frequency / nRate);
    return OverWindows(samples, nRate, [&](const float* x, std::size_t count) {
        double s1 = 0, s2 = 0, weights = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const double w = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) /
                                                  static_cast<double>(count - 1));
            weights += w;
            const double s0 = w * x[i] + coefficient * s1 - s2;
            s2 = std::exchange(s1, s0);
        }
        const double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
        return weights > 0 ? 2.0 * std::sqrt(std::max(power, 0.0)) / weights : 0.0;
    });
}

// Largest absolute value over those windows.
inline std::vector<double> PeakLevels(const std::vector<float>& samples, int nRate) {
    return OverWindows(samples, nRate, [](const float* x, std::size_t count) {
        double peak = 0;
        for (std::size_t i = 0; i < count; ++i) {
            peak = std::max(peak, static_cast<double>(std::fabs(x[i])));
        }
        return peak;
    });
}

// The same signal through a fourth-order Butterworth high-pass at cutoff: two sections
// (bilinear transform) with the poles' Q values.
inline std::vector<float> HighPass(std::vector<float> samples, int nRate, double cutoff) {
    for (const double q : {0.54119610, 1.30656296}) {
        const double w = 2.0 * std::numbers::pi * cutoff / nRate;
        const double alpha = std::sin(w) / (2.0 * q);
        const double cosw = std::cos(w);
        const double a0 = 1.0 + alpha;
        const double b0 = (1.0 + cosw) / 2.0 / a0, b1 = -(1.0 + cosw) / a0;
        const double a1 = -2.0 * cosw / a0, a2 = (1.0 - alpha) / a0;
        double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
        for (float& sample : samples) {
            const double y = b0 * sample + b1 * x1 + b0 * x2 - a1 * y1 - a2 * y2;
            x2 = std::exchange(x1, sample);
            y2 = std::exchange(y1, y);
            sample = static_cast<float>(y);
        }
    }
    return samples;
}

// Index of the first value from start on that is above (or, with bBelow, below)
// threshold; -1 when there is none.
inline long FirstCrossing(const std::vector<double>& values, std::size_t start, double threshold,
                          bool bBelow) {
    for (std::size_t i = start; i < values.size(); ++i) {
        if (bBelow ? values[i] < threshold : values[i] > threshold) {
            return static_cast<long>(i);
        }
    }
    return -1;
}

// Median of values[first, last).
inline double Median(const std::vector<double>& values, std::size_t first, std::size_t last) {
    last = std::min(last, values.size());
    if (first >= last) {
        return 0;
    }
    std::vector<double> part(values.data() + first, values.data() + last);
    std::nth_element(part.data(), part.data() + part.size() / 2, part.data() + part.size());
    return part[part.size() / 2];
}

// Largest of values[first, last); 0 for an empty range.
inline double Max(const std::vector<double>& values, std::size_t first, std::size_t last) {
    last = std::min(last, values.size());
    return first < last ? *std::max_element(values.data() + first, values.data() + last) : 0.0;
}

} // namespace AudioAnalysis
