#include "AudioAnalysis.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <numbers>

namespace {

std::uint32_t Le32(const std::vector<char>& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | static_cast<std::uint8_t>(bytes[at + static_cast<std::size_t>(i)]);
    }
    return value;
}

std::uint16_t Le16(const std::vector<char>& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[at]) |
                                      (static_cast<std::uint8_t>(bytes[at + 1]) << 8));
}

// One second-order section of a high-pass Butterworth filter (bilinear transform).
struct Biquad {
    double b0 = 0, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;

    Biquad(double cutoff, int nRate, double q) {
        const double w = 2.0 * std::numbers::pi * cutoff / nRate;
        const double alpha = std::sin(w) / (2.0 * q);
        const double cosw = std::cos(w);
        const double a0 = 1.0 + alpha;
        b0 = (1.0 + cosw) / 2.0 / a0;
        b1 = -(1.0 + cosw) / a0;
        b2 = b0;
        a1 = -2.0 * cosw / a0;
        a2 = (1.0 - alpha) / a0;
    }

    double Step(double x) {
        const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }
};

} // namespace

bool AudioAnalysis::ReadWav(const std::string& path, Recording& recording, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)),
                                  std::istreambuf_iterator<char>());
    if (bytes.size() < 12 || std::string(bytes.data(), 4) != "RIFF" ||
        std::string(bytes.data() + 8, 4) != "WAVE") {
        error = "not a WAV file";
        return false;
    }
    int channels = 0;
    int bits = 0;
    std::size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const std::string id(bytes.data() + at, 4);
        std::size_t size = Le32(bytes, at + 4);
        const std::size_t body = at + 8;
        if (id == "fmt " && body + 16 <= bytes.size()) {
            const std::uint16_t format = Le16(bytes, body);
            channels = Le16(bytes, body + 2);
            recording.nRate = static_cast<int>(Le32(bytes, body + 4));
            bits = Le16(bytes, body + 14);
            if ((format != 1 && format != 0xFFFE) || bits != 16 || channels < 1) {
                error = "not 16-bit PCM";
                return false;
            }
        } else if (id == "data") {
            if (channels == 0) {
                error = "data before format";
                return false;
            }
            // A recorder stopped by a signal may leave the size unset: take the rest.
            size = std::min(size == 0 ? bytes.size() : size, bytes.size() - body);
            const std::size_t frameBytes = static_cast<std::size_t>(channels) * 2;
            recording.mono.clear();
            for (std::size_t frame = body; frame + frameBytes <= body + size; frame += frameBytes) {
                double sum = 0;
                for (int c = 0; c < channels; ++c) {
                    sum += static_cast<std::int16_t>(
                        Le16(bytes, frame + static_cast<std::size_t>(c) * 2));
                }
                recording.mono.push_back(static_cast<float>(sum / channels / 32768.0));
            }
            return true;
        }
        at = body + size + (size & 1);
    }
    error = "no data chunk";
    return false;
}

double AudioAnalysis::Goertzel(const float* samples, std::size_t count, int nRate,
                               double frequency) {
    const double coefficient = 2.0 * std::cos(2.0 * std::numbers::pi * frequency / nRate);
    double s1 = 0;
    double s2 = 0;
    double weights = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const double w = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) /
                                              static_cast<double>(count - 1));
        weights += w;
        const double s0 = w * samples[i] + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    const double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
    return weights > 0 ? 2.0 * std::sqrt(std::max(power, 0.0)) / weights : 0.0;
}

std::vector<double> AudioAnalysis::ToneLevels(const std::vector<float>& samples, int nRate,
                                              double frequency, double windowSeconds,
                                              double hopSeconds) {
    const auto window = static_cast<std::size_t>(windowSeconds * nRate);
    const auto hop = static_cast<std::size_t>(hopSeconds * nRate);
    std::vector<double> levels;
    for (std::size_t at = 0; hop > 0 && at + window <= samples.size(); at += hop) {
        levels.push_back(Goertzel(samples.data() + at, window, nRate, frequency));
    }
    return levels;
}

std::vector<float> AudioAnalysis::HighPass(const std::vector<float>& samples, int nRate,
                                           double cutoff) {
    // Fourth-order Butterworth: two sections with the poles' Q values.
    Biquad first(cutoff, nRate, 0.54119610);
    Biquad second(cutoff, nRate, 1.30656296);
    std::vector<float> filtered;
    filtered.reserve(samples.size());
    for (const float sample : samples) {
        filtered.push_back(static_cast<float>(second.Step(first.Step(sample))));
    }
    return filtered;
}

std::vector<double> AudioAnalysis::PeakLevels(const std::vector<float>& samples, int nRate,
                                              double windowSeconds, double hopSeconds) {
    const auto window = static_cast<std::size_t>(windowSeconds * nRate);
    const auto hop = static_cast<std::size_t>(hopSeconds * nRate);
    std::vector<double> peaks;
    for (std::size_t at = 0; hop > 0 && at + window <= samples.size(); at += hop) {
        double peak = 0;
        for (std::size_t i = at; i < at + window; ++i) {
            peak = std::max(peak, static_cast<double>(std::fabs(samples[i])));
        }
        peaks.push_back(peak);
    }
    return peaks;
}

long AudioAnalysis::FirstCrossing(const std::vector<double>& values, std::size_t start,
                                  double threshold, bool bBelow) {
    for (std::size_t i = start; i < values.size(); ++i) {
        if (bBelow ? values[i] < threshold : values[i] > threshold) {
            return static_cast<long>(i);
        }
    }
    return -1;
}

double AudioAnalysis::Median(const std::vector<double>& values, std::size_t first,
                             std::size_t last) {
    last = std::min(last, values.size());
    if (first >= last) {
        return 0;
    }
    std::vector<double> part(values.begin() + static_cast<std::ptrdiff_t>(first),
                             values.begin() + static_cast<std::ptrdiff_t>(last));
    std::nth_element(part.begin(), part.begin() + static_cast<std::ptrdiff_t>(part.size() / 2),
                     part.end());
    return part[part.size() / 2];
}

double AudioAnalysis::Max(const std::vector<double>& values, std::size_t first, std::size_t last) {
    last = std::min(last, values.size());
    double largest = 0;
    for (std::size_t i = first; i < last; ++i) {
        largest = std::max(largest, values[i]);
    }
    return largest;
}
