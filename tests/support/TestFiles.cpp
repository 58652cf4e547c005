#include "support/TestFiles.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>

namespace TestFiles {
namespace {

int BitrateKbps(int version, int layer, int index) {
    static const int v1[3][16] = {
        {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0}};
    static const int v2[3][16] = {
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}};
    const int row = 3 - layer; // Layer I = 0, II = 1, III = 2
    return version == kMpeg1 ? v1[row][index] : v2[row][index];
}

int SampleRate(int version, int index) {
    static const int rates[3] = {44100, 48000, 32000};
    const int divisor = version == kMpeg1 ? 1 : version == kMpeg2 ? 2 : 4;
    return rates[index] / divisor;
}

} // namespace

std::vector<std::uint8_t> FrameHeader(int version, int layer, int bitrateIndex, int sampleRateIndex,
                                      int channelMode, bool padding) {
    const std::uint32_t word = 0xFFE00000u | (static_cast<std::uint32_t>(version) << 19) |
                               (static_cast<std::uint32_t>(layer) << 17) | (1u << 16) |
                               (static_cast<std::uint32_t>(bitrateIndex) << 12) |
                               (static_cast<std::uint32_t>(sampleRateIndex) << 10) |
                               ((padding ? 1u : 0u) << 9) |
                               (static_cast<std::uint32_t>(channelMode) << 6);
    return {static_cast<std::uint8_t>(word >> 24), static_cast<std::uint8_t>(word >> 16),
            static_cast<std::uint8_t>(word >> 8), static_cast<std::uint8_t>(word)};
}

int FrameLength(int version, int layer, int bitrateKbps, int sampleRateHz, bool padding) {
    const int pad = padding ? 1 : 0;
    if (layer == kLayer1) {
        return (12 * bitrateKbps * 1000 / sampleRateHz + pad) * 4;
    }
    const int factor = (layer == kLayer3 && version != kMpeg1) ? 72 : 144;
    return factor * bitrateKbps * 1000 / sampleRateHz + pad;
}

std::vector<std::uint8_t> Frames(int version, int layer, int bitrateIndex, int sampleRateIndex,
                                 int channelMode, int count) {
    const auto header = FrameHeader(version, layer, bitrateIndex, sampleRateIndex, channelMode);
    const int length = FrameLength(version, layer, BitrateKbps(version, layer, bitrateIndex),
                                   SampleRate(version, sampleRateIndex), false);
    std::vector<std::uint8_t> out;
    out.reserve(static_cast<std::size_t>(length * count));
    for (int i = 0; i < count; ++i) {
        out.insert(out.end(), header.begin(), header.end());
        out.insert(out.end(), static_cast<std::size_t>(length - 4), 0);
    }
    return out;
}

std::vector<std::uint8_t> Id3v1Block(const std::string& title, const std::string& artist,
                                     const std::string& album, const std::string& year,
                                     const std::string& comment, int track, int genre) {
    std::vector<std::uint8_t> block(128, 0);
    auto put = [&](std::size_t offset, const std::string& text, std::size_t width) {
        for (std::size_t i = 0; i < text.size() && i < width; ++i) {
            block[offset + i] = static_cast<std::uint8_t>(text[i]);
        }
    };
    put(0, "TAG", 3);
    put(3, title, 30);
    put(33, artist, 30);
    put(63, album, 30);
    put(93, year, 4);
    put(97, comment, track >= 1 ? 28 : 30);
    if (track >= 1) {
        block[125] = 0;
        block[126] = static_cast<std::uint8_t>(track);
    }
    block[127] = static_cast<std::uint8_t>(genre);
    return block;
}

bool HaveTool(const std::string& name) {
    return Run("command -v " + ShellQuote(name) + " >/dev/null 2>&1") == 0;
}

int Run(const std::string& command) {
    const int status = std::system(command.c_str());
    if (status == -1 || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

std::string Capture(const std::string& command, int* status) {
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        if (status != nullptr) {
            *status = -1;
        }
        return out;
    }
    std::array<char, 4096> buffer{};
    std::size_t n = 0;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
        out.append(buffer.data(), n);
    }
    const int rc = ::pclose(pipe);
    if (status != nullptr) {
        *status = (rc != -1 && WIFEXITED(rc)) ? WEXITSTATUS(rc) : -1;
    }
    return out;
}

std::string ShellQuote(const std::string& text) {
    std::string out = "'";
    for (const char c : text) {
        if (c == '\'') {
            out += "'\\''";
        } else {
            out.push_back(c);
        }
    }
    out += "'";
    return out;
}

bool WriteSineMp3(const std::string& path, int seconds, int hz, const std::string& lameOptions) {
    const std::string wav = path + ".wav";
    return Run("sox -n -r 44100 -c 2 " + ShellQuote(wav) + " synth " + std::to_string(seconds) +
               " sine " + std::to_string(hz) + " && lame --quiet -b 128 " + lameOptions + " " +
               ShellQuote(wav) + " " + ShellQuote(path)) == 0;
}

} // namespace TestFiles
