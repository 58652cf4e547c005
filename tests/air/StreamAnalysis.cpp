#include "StreamAnalysis.h"

#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <numbers>

namespace StreamAnalysis {

namespace {

std::vector<std::uint8_t> Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::size_t MetaInterval(const std::string& headPath) {
    std::ifstream in(headPath);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("icy-metaint:", 0) == 0) {
            return std::strtoul(line.c_str() + 12, nullptr, 10);
        }
    }
    return 0;
}

// "StreamTitle='Artist - Song';" -> "Artist - Song"
std::string StreamTitle(const std::string& block) {
    const std::string key = "StreamTitle='";
    const std::size_t start = block.find(key);
    if (start == std::string::npos) {
        return {};
    }
    const std::size_t end = block.find("';", start + key.size());
    return block.substr(start + key.size(),
                        end == std::string::npos ? std::string::npos : end - start - key.size());
}

double Goertzel(const float* x, std::size_t n, double hz, int rate) {
    const double w = 2.0 * std::numbers::pi * hz / rate;
    const double c = 2.0 * std::cos(w);
    double s1 = 0;
    double s2 = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double s0 = x[i] + c * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return std::sqrt(std::max(0.0, s1 * s1 + s2 * s2 - c * s1 * s2)) / static_cast<double>(n);
}

} // namespace

IcyCapture ReadIcy(const std::string& headPath, const std::string& bodyPath) {
    IcyCapture capture;
    const std::vector<std::uint8_t> body = Bytes(bodyPath);
    const std::size_t interval = MetaInterval(headPath);
    if (interval == 0) {
        capture.audio = body;
        return capture;
    }
    std::size_t at = 0;
    while (at < body.size()) {
        const std::size_t take = std::min(interval, body.size() - at);
        capture.audio.insert(capture.audio.end(), body.begin() + static_cast<long>(at),
                             body.begin() + static_cast<long>(at + take));
        at += take;
        if (at >= body.size()) {
            break;
        }
        const std::size_t length = body[at] * 16U;
        ++at;
        if (length > 0 && at + length <= body.size()) {
            const std::string block(reinterpret_cast<const char*>(&body[at]), length);
            capture.titles.push_back({capture.audio.size(), StreamTitle(block.c_str())});
        }
        at += length;
    }
    return capture;
}

std::vector<float> DecodeMono(const std::string& path, int rate) {
    TempDir dir;
    const std::string raw = dir.File("decoded.f32");
    const std::string command = "ffmpeg -v quiet -nostdin -i " + TestFiles::ShellQuote(path) +
                                " -ac 1 -ar " + std::to_string(rate) + " -f f32le " +
                                TestFiles::ShellQuote(raw);
    if (TestFiles::Run(command) != 0) {
        return {};
    }
    const std::vector<std::uint8_t> bytes = Bytes(raw);
    std::vector<float> samples(bytes.size() / sizeof(float));
    std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(float));
    return samples;
}

std::vector<int> ToneTrack(const std::vector<float>& samples, int rate,
                           const std::vector<double>& hz, int windowMs) {
    const std::size_t window = static_cast<std::size_t>(rate) * windowMs / 1000;
    std::vector<int> track;
    for (std::size_t at = 0; window > 0 && at + window <= samples.size(); at += window) {
        int best = -1;
        double bestLevel = 0.02; // below this the window counts as silence
        for (std::size_t i = 0; i < hz.size(); ++i) {
            const double level = Goertzel(&samples[at], window, hz[i], rate);
            if (level > bestLevel) {
                bestLevel = level;
                best = static_cast<int>(i);
            }
        }
        track.push_back(best);
    }
    return track;
}

std::vector<Run> Runs(const std::vector<int>& track, int minWindows) {
    std::vector<Run> raw;
    for (const int tone : track) {
        if (raw.empty() || raw.back().nTone != tone) {
            raw.push_back({tone, 0});
        }
        ++raw.back().nWindows;
    }
    std::vector<Run> runs;
    for (const Run& run : raw) {
        if (run.nWindows < minWindows) {
            continue;
        }
        if (!runs.empty() && runs.back().nTone == run.nTone) {
            runs.back().nWindows += run.nWindows;
        } else {
            runs.push_back(run);
        }
    }
    return runs;
}

double ProbeSeconds(const std::string& path) {
    int status = 0;
    const std::string text = TestFiles::Capture(
        "ffprobe -v quiet -show_entries format=duration -of csv=p=0 " + TestFiles::ShellQuote(path),
        &status);
    if (status != 0 || text.empty()) {
        return -1;
    }
    return std::strtod(text.c_str(), nullptr);
}

} // namespace StreamAnalysis
