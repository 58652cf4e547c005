#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Reading back what a listener heard: the ICY stream of a connection split into audio and
// titles, decoded audio, and the tones found in it.
namespace StreamAnalysis {

struct TitleAt {
    std::size_t nAudioByte = 0; // offset in the connection's audio bytes
    std::string strTitle;
};

struct IcyCapture {
    std::vector<std::uint8_t> audio;
    std::vector<TitleAt> titles;
};

// The capture of one connection from its reply headers and its body; without an
// "icy-metaint" header the body is all audio.
IcyCapture ReadIcy(const std::string& headPath, const std::string& bodyPath);

// Mono samples at rate Hz of an audio file (any format ffmpeg reads); empty on failure.
std::vector<float> DecodeMono(const std::string& path, int rate);

// The index in hz of the tone that dominates each window of windowMs, or -1 when the
// window is near silence.
std::vector<int> ToneTrack(const std::vector<float>& samples, int rate,
                           const std::vector<double>& hz, int windowMs);

struct Run {
    int nTone = -1;
    int nWindows = 0;
};
// Consecutive equal windows as runs; runs shorter than minWindows are dropped and their
// neighbours of the same tone joined.
std::vector<Run> Runs(const std::vector<int>& track, int minWindows);

// The duration ffprobe reads from a file, in seconds; negative when it reads none.
double ProbeSeconds(const std::string& path);

} // namespace StreamAnalysis
