// mixorel-engine-bench: the mixing engine in real time, three figures, each over
// MIXOREL_BENCH_RUNS runs (default 3), printed as min and median.
// - start error: 20 transitions of a loop of 3 s songs (mix 1 s, "Radio": each next song
//   starts at full volume), driven as the loop driver drives the player; each start is
//   found in the mixed output (a tap: the samples the output plays, in engine time) and
//   compared with its mix point (2 s after the previous start).
// - CPU per hour of two songs mixing: the process's CPU time while two songs play
//   together through pulsesink into a null sink, scaled to an hour.
// - latency: from the start command (a plain start, nothing playing) to the first sound
//   in a recording of the null sink's monitor (parec, 10 ms latency, time-stamped as it
//   arrives).
// Needs sox, pulseaudio, pactl and parec.
#include "gst/AudioAnalysis.h"
#include "gst/GstTestSupport.h"
#include "platform/gst/CGstMciContextFactory.h"
#include "platform/gst/CGstMixEngine.h"
#include "playback/CMCIPlayer.h"
#include "settings/CMixTypeList.h"
#include "support/ChildProcess.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <numbers>
#include <sys/resource.h>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int kRate = CGstMixEngine::kRate;
constexpr int kTransitions = 20;

int Runs() {
    const char* text = std::getenv("MIXOREL_BENCH_RUNS");
    return text != nullptr && std::atoi(text) > 0 ? std::atoi(text) : 3;
}

int Shell(const std::string& command) {
    return std::system(command.c_str());
}

void MinMedian(const std::string& name, std::vector<double> values, const char* unit) {
    if (values.empty()) {
        std::printf("%-44s no value\n", name.c_str());
        return;
    }
    std::sort(values.begin(), values.end());
    std::printf("%-44s min %8.2f  median %8.2f  max %8.2f %s  (n=%zu)\n", name.c_str(),
                values.front(), values[values.size() / 2], values.back(), unit, values.size());
}

double ProcessCpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& value) {
        return static_cast<double>(value.tv_sec) + static_cast<double>(value.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Keeps the mono mix of every block the engine outputs (room reserved up front).
class CRecordingTap final : public IMixTap {
public:
    explicit CRecordingTap(std::size_t seconds) { m_samples.reserve(seconds * kRate); }
    void OnMixBlock(const float* samples, std::size_t frames) override {
        std::lock_guard lock(m_mutex);
        for (std::size_t i = 0; i < frames && m_samples.size() < m_samples.capacity(); ++i) {
            m_samples.push_back(0.5f * (samples[2 * i] + samples[2 * i + 1]));
        }
    }
    std::vector<float> Take() {
        std::lock_guard lock(m_mutex);
        return m_samples;
    }

private:
    std::mutex m_mutex;
    std::vector<float> m_samples;
};

// A private PulseAudio server with a null sink and a low-latency reader of its monitor
// that stamps every chunk as it arrives.
class CPulseMonitor {
public:
    bool Start(const std::string& folder) {
        std::filesystem::create_directories(folder + "/run");
        std::filesystem::create_directories(folder + "/state");
        m_server = "unix:" + folder + "/native";
        const std::map<std::string, std::string> environment = {
            {"PULSE_RUNTIME_PATH", folder + "/run"},
            {"PULSE_STATE_PATH", folder + "/state"},
            {"PULSE_SERVER", m_server},
            {"HOME", folder}};
        if (!m_daemon.Start(
                {"pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
                 "-L", "module-native-protocol-unix auth-anonymous=1 socket=" + folder + "/native",
                 "-L", "module-null-sink sink_name=mixorel_bench"},
                folder + "/pulseaudio.log", environment)) {
            return false;
        }
        ::setenv("PULSE_SERVER", m_server.c_str(), 1);
        for (int i = 0; i < 100 && Shell("pactl info > /dev/null 2>&1") != 0; ++i) {
            std::this_thread::sleep_for(50ms);
        }
        m_reader = ::popen("parec -d mixorel_bench.monitor --raw --format=float32le --rate=48000 "
                           "--channels=1 --latency-msec=10",
                           "r");
        if (m_reader == nullptr) {
            return false;
        }
        m_thread = std::thread([this] { Read(); });
        // An idle null sink runs with 2 s of latency until a low-latency reader has been
        // attached for a while.
        std::this_thread::sleep_for(2500ms);
        return true;
    }
    void Stop() {
        m_bStop.store(true);
        m_daemon.Stop(SIGTERM, 3s);
        if (m_thread.joinable()) {
            m_thread.join();
        }
        if (m_reader != nullptr) {
            ::pclose(m_reader);
        }
        ::unsetenv("PULSE_SERVER");
    }
    // The arrival time of the first sample louder than level after from.
    std::optional<Clock::time_point> FirstLoudAfter(Clock::time_point from, float level) {
        std::lock_guard lock(m_mutex);
        for (const auto& [at, chunk] : m_chunks) {
            if (at < from) {
                continue;
            }
            for (std::size_t i = 0; i < chunk.size(); ++i) {
                if (std::fabs(chunk[i]) > level) {
                    const auto after = std::chrono::microseconds(
                        static_cast<long>((chunk.size() - i) * 1'000'000 / kRate));
                    return at - after;
                }
            }
        }
        return std::nullopt;
    }

private:
    void Read() {
        std::vector<float> chunk(480);
        while (!m_bStop.load()) {
            const std::size_t got = std::fread(chunk.data(), sizeof(float), chunk.size(), m_reader);
            if (got == 0) {
                return;
            }
            std::lock_guard lock(m_mutex);
            m_chunks.emplace_back(Clock::now(),
                                  std::vector<float>(chunk.begin(), chunk.begin() + got));
        }
    }

    ChildProcess m_daemon;
    std::string m_server;
    FILE* m_reader = nullptr;
    std::thread m_thread;
    std::atomic<bool> m_bStop{false};
    std::mutex m_mutex;
    std::vector<std::pair<Clock::time_point, std::vector<float>>> m_chunks;
};

// The level of a tone over windows of 10 ms, one every millisecond (Goertzel, Hann): a
// window's value belongs to its centre, so a step in level shows within a millisecond.
std::vector<double> ToneLevelsEveryMs(const std::vector<float>& samples, double frequency) {
    const std::size_t window = kRate / 100;
    const std::size_t hop = kRate / 1000;
    const double coefficient = 2.0 * std::cos(2.0 * std::numbers::pi * frequency / kRate);
    std::vector<double> levels;
    for (std::size_t at = 0; at + window <= samples.size(); at += hop) {
        double s1 = 0, s2 = 0, weights = 0;
        for (std::size_t i = 0; i < window; ++i) {
            const double w = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) /
                                                  static_cast<double>(window - 1));
            weights += w;
            const double s0 = w * samples[at + i] + coefficient * s1 - s2;
            s2 = std::exchange(s1, s0);
        }
        const double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
        levels.push_back(2.0 * std::sqrt(std::max(power, 0.0)) / weights);
    }
    return levels;
}

// Start errors (ms) of the transitions of one run.
std::vector<double> StartErrors(const std::string& songA, const std::string& songB) {
    auto tap = std::make_shared<CRecordingTap>(60);
    CMCIPlayer player(BuiltInMixEnvironment());
    player.Connect(0, true);
    player.SetMixEnabled(true);
    player.SetMixSeconds(1);
    player.SetMixType(2); // "Radio (next at full volume)"
    player.SetFitFades(true);
    CGstMixEngine::AddTap(tap);
    player.Play(songA);
    for (int n = 1; n <= kTransitions; ++n) {
        const auto limit = Clock::now() + 10s;
        while (player.GetMode(false) != CPlayer::kModeStopped && Clock::now() < limit) {
            std::this_thread::sleep_for(100ms);
        }
        player.Play(n % 2 == 1 ? songB : songA);
        std::this_thread::sleep_for(250ms);
    }
    std::this_thread::sleep_for(2500ms);
    CGstMixEngine::RemoveTap(tap);
    player.Stop();
    const std::vector<float> mix = tap->Take();
    std::vector<double> errors;
    std::vector<double> starts;
    for (const double tone : {440.0, 660.0}) {
        const auto levels = ToneLevelsEveryMs(mix, tone);
        const double full = AudioAnalysis::Max(levels, 0, levels.size());
        std::size_t quiet = 500;
        for (std::size_t i = 0; i < levels.size(); ++i) {
            if (levels[i] >= full / 2 && quiet >= 500) {
                starts.push_back(static_cast<double>(i) * 0.001 + 0.005);
            }
            quiet = levels[i] < full / 2 ? quiet + 1 : 0;
        }
    }
    std::sort(starts.begin(), starts.end());
    // The first song ramps up over 0.3 s: its half-level point is 0.15 s late.
    if (!starts.empty()) {
        starts.front() -= 0.15;
    }
    for (std::size_t n = 1; n < starts.size(); ++n) {
        errors.push_back(1000.0 * std::fabs(starts[n] - starts[n - 1] - 2.0));
    }
    if (errors.size() != kTransitions) {
        std::printf("start error run: %zu transitions found, not %d\n", errors.size(),
                    kTransitions);
    }
    return errors;
}

double CpuPerHourOfMixing(const std::string& songA, const std::string& songB) {
    CGstMciContextFactory factory;
    auto one = factory.CreateContext();
    auto two = factory.CreateContext();
    std::string reply;
    one->SendString("open \"" + songA + "\" alias mpeg wait", reply);
    two->SendString("open \"" + songB + "\" alias mpeg wait", reply);
    one->SendString("setaudio mpeg volume to 700", reply);
    two->SendString("setaudio mpeg volume to 300", reply);
    one->SendString("play mpeg from 0", reply);
    two->SendString("play mpeg from 0", reply);
    std::this_thread::sleep_for(500ms);
    const double cpu0 = ProcessCpuSeconds();
    const auto wall0 = Clock::now();
    std::this_thread::sleep_for(10s);
    const double cpu = ProcessCpuSeconds() - cpu0;
    const double wall = std::chrono::duration<double>(Clock::now() - wall0).count();
    one->SendString("close mpeg", reply);
    two->SendString("close mpeg", reply);
    return cpu / wall * 3600.0;
}

double LatencyMs(CPulseMonitor& monitor, const std::string& song) {
    CMCIPlayer player(BuiltInMixEnvironment());
    player.Connect(0, true);
    const auto start = Clock::now();
    player.Play(song);
    std::this_thread::sleep_for(800ms);
    player.Stop();
    const auto heard = monitor.FirstLoudAfter(start, 0.01f);
    return heard ? std::chrono::duration<double, std::milli>(*heard - start).count() : -1;
}

} // namespace

int main() {
    if (Shell("command -v sox pulseaudio pactl parec > /dev/null 2>&1") != 0) {
        std::puts("sox, pulseaudio, pactl or parec missing");
        return 1;
    }
    char folderTemplate[] = "/tmp/mixorel-engine-bench-XXXXXX";
    const std::string folder = ::mkdtemp(folderTemplate);
    const std::string a = folder + "/a.wav";
    const std::string b = folder + "/b.wav";
    const std::string longA = folder + "/long-a.wav";
    const std::string longB = folder + "/long-b.wav";
    Shell("sox -n -r 44100 -c 2 " + a + " synth 3 sine 440 vol 0.4 && sox -n -r 44100 -c 2 " + b +
          " synth 3 sine 660 vol 0.4 && sox -n -r 44100 -c 2 " + longA +
          " synth 40 sine 440 vol 0.4 && sox -n -r 44100 -c 2 " + longB +
          " synth 40 pinknoise vol 0.3");
    CPulseMonitor monitor;
    if (!monitor.Start(folder + "/pulse")) {
        std::puts("the sound server did not start");
        return 1;
    }
    ::setenv("MIXOREL_AUDIO_SINK", "pulsesink", 1);
    std::vector<double> medians;
    std::vector<double> worst;
    std::vector<double> all;
    std::vector<double> cpu;
    std::vector<double> latency;
    const double cold = LatencyMs(monitor, a);
    std::this_thread::sleep_for(500ms);
    for (int run = 0; run < Runs(); ++run) {
        std::vector<double> errors = StartErrors(a, b);
        if (!errors.empty()) {
            all.insert(all.end(), errors.begin(), errors.end());
            std::sort(errors.begin(), errors.end());
            medians.push_back(errors[errors.size() / 2]);
            worst.push_back(errors.back());
        }
        cpu.push_back(CpuPerHourOfMixing(longA, longB));
        std::this_thread::sleep_for(500ms);
        latency.push_back(LatencyMs(monitor, a));
        std::this_thread::sleep_for(500ms);
    }
    std::printf("latency, cold (first output of the process): %.1f ms\n", cold);
    MinMedian("start error, median of a run's 20", medians, "ms");
    MinMedian("start error, worst of a run's 20", worst, "ms");
    MinMedian("start error, every transition", all, "ms");
    MinMedian("CPU per hour of two songs mixing", cpu, "s");
    MinMedian("latency, start command to recording", latency, "ms");
    monitor.Stop();
    std::filesystem::remove_all(folder);
    return 0;
}
