// air_feeder: a stand-in for the mixing engine that feeds tones, in real time, to the
// broadcast's taps, so the stream and the recorder can be tested and timed on their own.
//
//   air_feeder [--stream URL] [--stream-format mp3|vorbis|opus] [--bitrate KBPS]
//              [--record DIR] [--record-format ogg|flac|mp3] [--repeat N]
//              HZ:SECONDS:TITLE...
//
// Each tone's title goes to the stream as the tone starts. Prints the broadcast's status
// once a second; SIGINT or SIGTERM ends the run (recording closed) as the tones' end does.
#include "platform/air/CAirStation.h"
#include "platform/gst/IMixTap.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

std::atomic<bool> g_bStop{false};

extern "C" void OnStop(int) {
    g_bStop.store(true);
}

struct Tone {
    double hz = 0;
    double seconds = 0;
    std::string title;
};

bool ParseTone(const std::string& text, Tone& tone) {
    const std::size_t a = text.find(':');
    const std::size_t b = text.find(':', a + 1);
    if (a == std::string::npos || b == std::string::npos) {
        return false;
    }
    tone.hz = std::atof(text.substr(0, a).c_str());
    tone.seconds = std::atof(text.substr(a + 1, b - a - 1).c_str());
    tone.title = text.substr(b + 1);
    return tone.hz > 0 && tone.seconds > 0;
}

} // namespace

int main(int argc, char** argv) {
    CBroadcastSettings settings;
    settings.m_bStream = false;
    int repeat = 1;
    std::vector<Tone> tones;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool more = i + 1 < argc;
        if (arg == "--stream" && more) {
            settings.m_bStream = settings.ParseStreamUrl(argv[++i]);
        } else if (arg == "--stream-format" && more) {
            const std::string format = argv[++i];
            settings.m_nFormat = format == "opus"     ? CBroadcastSettings::kOpus
                                 : format == "vorbis" ? CBroadcastSettings::kVorbis
                                                      : CBroadcastSettings::kMp3;
        } else if (arg == "--bitrate" && more) {
            settings.m_nBitrateKbps = std::atoi(argv[++i]);
        } else if (arg == "--record" && more) {
            settings.m_bRecord = true;
            settings.m_strRecordFolder = argv[++i];
        } else if (arg == "--record-format" && more) {
            const std::string format = argv[++i];
            settings.m_nRecordFormat = format == "flac"  ? CBroadcastSettings::kRecordFlac
                                       : format == "mp3" ? CBroadcastSettings::kRecordMp3
                                                         : CBroadcastSettings::kRecordVorbis;
        } else if (arg == "--repeat" && more) {
            repeat = std::atoi(argv[++i]);
        } else if (Tone tone; ParseTone(arg, tone)) {
            tones.push_back(tone);
        } else {
            std::fprintf(stderr, "air_feeder: cannot use %s\n", arg.c_str());
            return 2;
        }
    }
    std::signal(SIGINT, OnStop);
    std::signal(SIGTERM, OnStop);
    CAirStation station(settings, false);
    std::string error;
    // Neither stream nor recording: the feeder alone, a baseline for the benchmark.
    const bool air = settings.m_bStream || settings.m_bRecord;
    if (air && !station.Start(error)) {
        std::fprintf(stderr, "air_feeder: %s\n", error.c_str());
        return 1;
    }
    std::vector<IMixTap*> taps;
    for (IMixTap* tap : {station.StreamTap(), station.RecorderTap()}) {
        if (tap != nullptr) {
            taps.push_back(tap);
        }
    }
    constexpr std::size_t kFrames = IMixTap::kRate / 100; // 10 ms blocks
    std::vector<float> block(kFrames * IMixTap::kChannels);
    auto due = std::chrono::steady_clock::now();
    auto nextStatus = due;
    double phase = 0;
    for (int round = 0; round < repeat && !g_bStop.load(); ++round) {
        for (const Tone& tone : tones) {
            station.SetTitle(tone.title);
            const auto blocks = static_cast<long>(tone.seconds * 100);
            for (long n = 0; n < blocks && !g_bStop.load(); ++n) {
                for (std::size_t f = 0; f < kFrames; ++f) {
                    const auto value = static_cast<float>(0.5 * std::sin(phase));
                    phase += 2 * std::numbers::pi * tone.hz / IMixTap::kRate;
                    block[2 * f] = value;
                    block[2 * f + 1] = value;
                }
                phase = std::fmod(phase, 2 * std::numbers::pi);
                for (IMixTap* tap : taps) {
                    tap->OnMixBlock(block.data(), kFrames);
                }
                due += 10ms;
                std::this_thread::sleep_until(due);
                if (std::chrono::steady_clock::now() >= nextStatus) {
                    nextStatus += 1s;
                    std::printf("status: %s\n", station.Status().Text().c_str());
                    std::fflush(stdout);
                }
            }
        }
    }
    if (station.TakePasswordRefused()) {
        std::printf("%s\n", CAirStatus::PasswordRefusedText());
    }
    station.Stop();
    return 0;
}
