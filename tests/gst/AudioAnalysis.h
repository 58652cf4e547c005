#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Measurements on a recorded sound: the level of a tone over short windows (Goertzel)
// and the peaks of what lies above about 5 kHz, where the test tones have next to nothing
// and a click (a jump in the waveform) has most of its energy.
class AudioAnalysis {
public:
    struct Recording {
        int nRate = 0;
        std::vector<float> mono; // channels mixed down, full scale 1.0
    };

    // Reads a 16-bit PCM WAV file; false, with the reason in error, for anything else.
    static bool ReadWav(const std::string& path, Recording& recording, std::string& error);

    // Amplitude of a tone at frequency over windows of windowSeconds (Hann weighted),
    // one value every hopSeconds: value i covers the samples from i x hop on.
    static std::vector<double> ToneLevels(const std::vector<float>& samples, int nRate,
                                          double frequency, double windowSeconds = 0.05,
                                          double hopSeconds = 0.01);
    // The same signal through a fourth-order Butterworth high-pass at cutoff.
    static std::vector<float> HighPass(const std::vector<float>& samples, int nRate, double cutoff);
    // Largest absolute value over the same windows as ToneLevels.
    static std::vector<double> PeakLevels(const std::vector<float>& samples, int nRate,
                                          double windowSeconds = 0.05, double hopSeconds = 0.01);

    // Index of the first value from start on that is above (or, with bBelow, below)
    // threshold; -1 when there is none.
    static long FirstCrossing(const std::vector<double>& values, std::size_t start,
                              double threshold, bool bBelow);
    // Median of values[first, last).
    static double Median(const std::vector<double>& values, std::size_t first, std::size_t last);
    // Largest of values[first, last); 0 for an empty range.
    static double Max(const std::vector<double>& values, std::size_t first, std::size_t last);

private:
    static double Goertzel(const float* samples, std::size_t count, int nRate, double frequency);
};
