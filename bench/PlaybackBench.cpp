// mixorel-playback-bench: timing figures of the media-control player on the GStreamer
// back end, in real time.
//
//  1. Fade steps: when each volume step of a 20-step ramp is sent to the device, against
//     its schedule (first step + k x step period), at speed 20 (50 ms) and 10 (550 ms),
//     alone and with two songs mixing; and when each step is heard, from the samples a
//     clock-synchronised fdsink writes into a pipe (the lead of the heard glide over the
//     command, and the spacing of the heard steps).
//  2. Open-to-audible latency of a plain start of an mp3 (median of 10): from the Play
//     call to the first non-silent sample the synchronised sink renders, and to the first
//     "status position" above 0.
//  3. CPU of this process (getrusage user + system over wall time) while one song plays
//     and while two songs mix, with fakesink sync=true and, when PulseAudio is installed,
//     with pulsesink into a private null sink (whose daemon's CPU is shown apart).
//
// Every figure is printed as a line "figure NAME VALUE UNIT", so several runs are easy
// to compare. Needs sox and lame.
//
// Threads: the main thread drives the player and polls it every 100 ms as the loop driver
// does; the player's fader workers call the stamping contexts from their own threads (the
// log has a mutex); a capture thread reads the sink's pipe.
#include "platform/gst/CGstMciContextFactory.h"
#include "platform/mci/MciContext.h"
#include "playback/CMCIPlayer.h"
#include "settings/CMixTypeList.h"
#include "support/ChildProcess.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

extern char** environ;

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

constexpr int kRate = 44100;
constexpr int kSteps = 20;
// The sink the fade and latency figures listen at: the device's audio converted to
// 16-bit stereo and written, each buffer at its clock time, into a pipe.
constexpr const char* kCaptureFormat =
    "audioconvert ! audioresample ! audio/x-raw,format=S16LE,rate=44100,channels=2 ! ";
// The glide of a volume step.
constexpr double kGlideMs = 30.0;

// With --verbose, the figures are followed by the values they were taken from.
bool g_bVerbose = false;

void Values(const std::string& name, const std::vector<double>& values) {
    if (!g_bVerbose) {
        return;
    }
    std::printf("  %s:", name.c_str());
    for (const double value : values) {
        std::printf(" %.1f", value);
    }
    std::printf("\n");
}

double Since(Clock::time_point from, Clock::time_point to) {
    return Ms(to - from).count();
}

void Figure(const std::string& name, double value, const char* unit) {
    std::printf("figure %-44s %10.2f %s\n", name.c_str(), value, unit);
    std::fflush(stdout);
}

double Median(std::vector<double> values) {
    if (values.empty()) {
        return NAN;
    }
    std::sort(values.begin(), values.end());
    const std::size_t half = values.size() / 2;
    return values.size() % 2 ? values[half] : (values[half - 1] + values[half]) / 2;
}

double WorstAbs(const std::vector<double>& values) {
    double worst = 0;
    for (const double value : values) {
        worst = std::max(worst, std::fabs(value));
    }
    return values.empty() ? NAN : worst;
}

int Shell(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool HaveTool(const std::string& name) {
    return Shell("command -v " + name + " > /dev/null 2>&1") == 0;
}

// A fresh folder under /tmp, removed with everything in it at the end.
class CScratchDir {
public:
    CScratchDir() {
        char pattern[] = "/tmp/mixorel-playback-bench-XXXXXX";
        if (::mkdtemp(pattern) != nullptr) {
            m_strPath = pattern;
        }
    }
    ~CScratchDir() {
        std::error_code error;
        if (!m_strPath.empty()) {
            std::filesystem::remove_all(m_strPath, error);
        }
    }
    CScratchDir(const CScratchDir&) = delete;
    CScratchDir& operator=(const CScratchDir&) = delete;
    bool Ok() const { return !m_strPath.empty(); }
    const std::string& Path() const { return m_strPath; }
    std::string File(const std::string& name) const { return m_strPath + "/" + name; }

private:
    std::string m_strPath;
};

// ---- the stamping decorator ---------------------------------------------------------

struct SStamp {
    int nContext = 0;
    Clock::time_point at;
    std::string command;
};

class CStampLog {
public:
    void Add(int context, std::string_view command) {
        const Clock::time_point now = Clock::now();
        std::lock_guard lock(m_mutex);
        m_stamps.push_back({context, now, std::string(command)});
    }
    std::vector<SStamp> Take() {
        std::lock_guard lock(m_mutex);
        return std::exchange(m_stamps, {});
    }

private:
    std::mutex m_mutex;
    std::vector<SStamp> m_stamps;
};

// Notes the time of every command before passing it on to the GStreamer context.
class CStampingContext final : public IMciContext {
public:
    CStampingContext(int id, std::unique_ptr<IMciContext> inner, std::shared_ptr<CStampLog> log)
        : m_nId(id), m_pInner(std::move(inner)), m_pLog(std::move(log)) {}
    std::uint32_t SendString(std::string_view command, std::string& reply) override {
        m_pLog->Add(m_nId, command);
        return m_pInner->SendString(command, reply);
    }

private:
    int m_nId;
    std::unique_ptr<IMciContext> m_pInner;
    std::shared_ptr<CStampLog> m_pLog;
};

class CStampingFactory final : public IMciContextFactory {
public:
    explicit CStampingFactory(std::shared_ptr<CStampLog> log) : m_pLog(std::move(log)) {}
    std::unique_ptr<IMciContext> CreateContext() override {
        std::unique_ptr<IMciContext> inner = m_gst.CreateContext();
        if (!inner) {
            return nullptr;
        }
        return std::make_unique<CStampingContext>(++m_nNextId, std::move(inner), m_pLog);
    }

private:
    CGstMciContextFactory m_gst;
    std::shared_ptr<CStampLog> m_pLog;
    std::atomic<int> m_nNextId{0};
};

// ---- the sink's pipe --------------------------------------------------------------------

// Reads what fdsink writes and notes, for each read, the wall time and the number of the
// first sample frame in it. fdsink writes a buffer when its clock time comes, so the
// earliest (read time - frame / rate) over a run maps frame numbers onto wall time.
class CPipeCapture {
public:
    CPipeCapture() {
        if (::pipe2(m_fds, O_CLOEXEC) != 0) {
            m_fds[0] = m_fds[1] = -1;
            return;
        }
        m_thread = std::thread([this] { ReadLoop(); });
    }
    ~CPipeCapture() {
        m_bStop.store(true);
        if (m_thread.joinable()) {
            m_thread.join();
        }
        for (const int fd : m_fds) {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    }
    CPipeCapture(const CPipeCapture&) = delete;
    CPipeCapture& operator=(const CPipeCapture&) = delete;

    bool Ok() const { return m_fds[1] >= 0; }
    std::string SinkDescription() const {
        return std::string(kCaptureFormat) + "fdsink sync=true fd=" + std::to_string(m_fds[1]);
    }
    void Reset() {
        std::lock_guard lock(m_mutex);
        m_left.clear();
        m_reads.clear();
        m_partial.clear();
    }
    // The left channel as gains of full scale, and the wall time of frame 0 (unset when
    // nothing came).
    std::vector<float> Snapshot(std::optional<Clock::time_point>& frameZero) const {
        std::lock_guard lock(m_mutex);
        frameZero.reset();
        for (const auto& [frame, at] : m_reads) {
            const Clock::time_point zero =
                at - std::chrono::duration_cast<Clock::duration>(
                         std::chrono::duration<double>(static_cast<double>(frame) / kRate));
            if (!frameZero || zero < *frameZero) {
                frameZero = zero;
            }
        }
        return m_left;
    }

private:
    void ReadLoop() {
        std::vector<std::uint8_t> buffer(1 << 16);
        while (!m_bStop.load()) {
            pollfd entry{m_fds[0], POLLIN, 0};
            if (::poll(&entry, 1, 20) <= 0) {
                continue;
            }
            const ssize_t got = ::read(m_fds[0], buffer.data(), buffer.size());
            const Clock::time_point now = Clock::now();
            if (got <= 0) {
                continue;
            }
            std::lock_guard lock(m_mutex);
            const std::size_t firstFrame = m_left.size();
            if (m_partial.empty()) {
                m_reads.emplace_back(firstFrame, now);
            }
            m_partial.insert(m_partial.end(), buffer.begin(), buffer.begin() + got);
            const std::size_t frames = m_partial.size() / 4;
            for (std::size_t i = 0; i < frames; ++i) {
                std::int16_t left = 0;
                std::memcpy(&left, &m_partial[i * 4], sizeof left);
                m_left.push_back(static_cast<float>(left) / 32768.0f);
            }
            m_partial.erase(m_partial.begin(),
                            m_partial.begin() + static_cast<std::ptrdiff_t>(frames * 4));
        }
    }

    int m_fds[2] = {-1, -1};
    std::thread m_thread;
    std::atomic<bool> m_bStop{false};
    mutable std::mutex m_mutex;
    std::vector<float> m_left;
    std::vector<std::pair<std::size_t, Clock::time_point>> m_reads;
    std::vector<std::uint8_t> m_partial;
};

// ---- helpers around the player ----------------------------------------------------------

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit,
               std::chrono::milliseconds period = 10ms) {
    const auto deadline = Clock::now() + limit;
    while (!condition()) {
        if (Clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(period);
    }
    return true;
}

// Polls IsActive (raw false) every 100 ms until the time is up, as the loop driver does;
// answers when it first turned false (or the end).
Clock::time_point PollLikeTheLoop(CPlayer& player, Clock::time_point until, bool bStopAtFalse) {
    Clock::time_point tick = Clock::now();
    while (Clock::now() < until) {
        if (!player.IsActive(false) && bStopAtFalse) {
            return Clock::now();
        }
        tick += 100ms;
        std::this_thread::sleep_until(std::min(tick, until));
    }
    return until;
}

PlaybackEnvironment MakeEnvironment(const std::shared_ptr<CStampLog>& log) {
    auto mixTypes = std::make_shared<CMixTypeList>();
    mixTypes->SetMixTypes({CMixTypeList::GetLinearFade()});
    PlaybackEnvironment environment;
    environment.pFactory = std::make_shared<CStampingFactory>(log);
    environment.pMixTypes = mixTypes;
    return environment;
}

// Sets the mixer values and makes the first worker (a plain start needs one).
void Configure(CMCIPlayer& player, bool bMix, std::int32_t seconds, std::int32_t speed) {
    player.SetMixEnabled(bMix);
    player.SetMixSeconds(seconds);
    player.SetMixSpeed(speed);
    player.SetMixType(0);
    player.Connect(-1, true);
}

// The volume level of a ramp step "setaudio mpeg left volume to N wait"; -1 otherwise.
int RampLeftLevel(const std::string& command) {
    static const std::string prefix = "setaudio mpeg left volume to ";
    if (!command.starts_with(prefix) || !command.ends_with(" wait")) {
        return -1;
    }
    return std::atoi(command.c_str() + prefix.size());
}

// The send times of the 20 steps of a ramp of one context, taken from after a time.
std::vector<Clock::time_point> RampSendTimes(const std::vector<SStamp>& stamps, int context,
                                             Clock::time_point after) {
    std::vector<Clock::time_point> times;
    for (const SStamp& stamp : stamps) {
        if (stamp.nContext == context && stamp.at >= after && RampLeftLevel(stamp.command) >= 0 &&
            times.size() < kSteps) {
            times.push_back(stamp.at);
        }
    }
    return times;
}

// Deviation of step k from first step + k x period, for k = 1 .. 19 (step 0 defines it).
std::vector<double> Deviations(const std::vector<Clock::time_point>& times, double periodMs) {
    std::vector<double> deviations;
    for (std::size_t k = 1; k < times.size(); ++k) {
        deviations.push_back(Since(times[0], times[k]) - static_cast<double>(k) * periodMs);
    }
    return deviations;
}

void ReportSent(const std::string& name, const std::vector<Clock::time_point>& times,
                double periodMs) {
    if (times.size() != kSteps) {
        std::printf("%s: %zu steps seen instead of %d\n", name.c_str(), times.size(), kSteps);
        return;
    }
    const std::vector<double> deviations = Deviations(times, periodMs);
    Figure(name + ".sent.median", Median(deviations), "ms");
    Figure(name + ".sent.worst", WorstAbs(deviations), "ms");
    Values(name + ".sent, step 1 on", deviations);
}

// The context that opened a path.
int ContextOf(const std::vector<SStamp>& stamps, const std::string& path) {
    for (const SStamp& stamp : stamps) {
        if (stamp.command.starts_with("open \"" + path + "\"")) {
            return stamp.nContext;
        }
    }
    return -1;
}

// Gain of the captured tone: the largest magnitude over 2 ms windows, every 1 ms, over
// the tone's amplitude at full volume (the largest of all, since the capture holds a
// stretch at full volume; the encoder may have changed the amplitude a little).
std::vector<double> GainPerMs(const std::vector<float>& left) {
    const std::size_t window = kRate * 2 / 1000;
    std::vector<double> gains;
    for (std::size_t ms = 0;; ++ms) {
        const std::size_t first = ms * kRate / 1000;
        if (first + window > left.size()) {
            break;
        }
        float peak = 0;
        for (std::size_t i = first; i < first + window; ++i) {
            peak = std::max(peak, std::fabs(left[i]));
        }
        gains.push_back(peak);
    }
    const double full = gains.empty() ? 1.0 : *std::max_element(gains.begin(), gains.end());
    for (double& gain : gains) {
        gain /= full > 0 ? full : 1.0;
    }
    return gains;
}

// When each step of a linear ramp is heard (start of its glide, ms of the capture):
// the middle of the glide is where the gain crosses halfway between two step levels.
std::vector<double> HeardSteps(const std::vector<double>& gains, bool bRising) {
    std::vector<double> starts;
    std::size_t at = 0;
    for (int k = 0; k < kSteps; ++k) {
        const double before = bRising ? 0.05 * k : 1.0 - 0.05 * k;
        const double after = bRising ? 0.05 * (k + 1) : 1.0 - 0.05 * (k + 1);
        const double middle = (before + after) / 2;
        while (at < gains.size() && (bRising ? gains[at] < middle : gains[at] > middle)) {
            ++at;
        }
        if (at >= gains.size()) {
            break;
        }
        // The window of ms "at" covers at .. at + 2 ms; its peak is the gain at its end
        // while the gain rises and at its start while it falls.
        const double crossing = static_cast<double>(at) + (bRising ? 1.5 : -0.5);
        starts.push_back(crossing - kGlideMs / 2);
    }
    return starts;
}

// Heard step times against the sent ones and against their own schedule.
void ReportHeard(const std::string& name, const std::vector<float>& left,
                 std::optional<Clock::time_point> frameZero,
                 const std::vector<Clock::time_point>& sent, double periodMs, bool bRising,
                 Clock::time_point from) {
    if (!frameZero || sent.size() != kSteps) {
        std::printf("%s: nothing heard\n", name.c_str());
        return;
    }
    // Only the part of the capture after "from" belongs to this ramp: the gain before it
    // is taken as the ramp's starting level.
    std::vector<double> gains = GainPerMs(left);
    const auto skip =
        std::clamp<std::ptrdiff_t>(static_cast<std::ptrdiff_t>(Since(*frameZero, from)), 0,
                                   static_cast<std::ptrdiff_t>(gains.size()));
    std::fill(gains.begin(), gains.begin() + skip, bRising ? 0.0 : 1.0);
    const std::vector<double> heard = HeardSteps(gains, bRising);
    if (heard.size() != kSteps) {
        std::printf("%s: %zu steps heard instead of %d\n", name.c_str(), heard.size(), kSteps);
        return;
    }
    std::vector<double> leads;
    for (int k = 0; k < kSteps; ++k) {
        leads.push_back(heard[static_cast<std::size_t>(k)] -
                        Since(*frameZero, sent[static_cast<std::size_t>(k)]));
    }
    std::vector<double> spacing;
    for (int k = 1; k < kSteps; ++k) {
        spacing.push_back(heard[static_cast<std::size_t>(k)] - heard[0] - k * periodMs);
    }
    Figure(name + ".heard.lead.median", Median(leads), "ms");
    Figure(name + ".heard.lead.min", *std::min_element(leads.begin(), leads.end()), "ms");
    Figure(name + ".heard.lead.max", *std::max_element(leads.begin(), leads.end()), "ms");
    Figure(name + ".heard.median", Median(spacing), "ms");
    Figure(name + ".heard.worst", WorstAbs(spacing), "ms");
    Values(name + ".heard lead, step 0 on", leads);
    Values(name + ".heard, step 1 on", spacing);
}

// ---- the measurements ---------------------------------------------------------------------

struct SMedia {
    std::string fadeTone; // 14 s of 1 kHz at half scale, mp3
    std::string songA;    // 10 s of 440 Hz, mp3
    std::string songB;    // 10 s of 1 kHz, mp3
    std::string latency;  // 3 s of 1 kHz, mp3
};

// A single song started mixed (fade-in from silence), heard through the pipe; at speed
// 20 also its fade-out after FadeStop.
void MeasureFadeAlone(const SMedia& media, std::int32_t speed) {
    CPipeCapture capture;
    if (!capture.Ok()) {
        std::puts("no pipe for the capture");
        return;
    }
    ::setenv("MIXOREL_AUDIO_SINK", capture.SinkDescription().c_str(), 1);
    const double periodMs = static_cast<double>(CMCIThread::StepPeriod(speed).count());
    const std::string name = "fade.speed" + std::to_string(speed) + ".alone";
    auto log = std::make_shared<CStampLog>();
    CMCIPlayer player(MakeEnvironment(log));
    Configure(player, true, 2, speed);
    const Clock::time_point start = Clock::now();
    player.Play(media.fadeTone);
    const auto rampMs = std::chrono::milliseconds(static_cast<long>(periodMs * kSteps) + 500);
    PollLikeTheLoop(player, Clock::now() + rampMs, false);
    Clock::time_point fadeOutFrom{};
    if (speed == 20) {
        fadeOutFrom = Clock::now();
        player.FadeStop();
        PollLikeTheLoop(player, Clock::now() + rampMs, false);
    }
    const std::vector<SStamp> stamps = log->Take();
    std::optional<Clock::time_point> frameZero;
    const std::vector<float> left = capture.Snapshot(frameZero);
    player.SetMixEnabled(false);
    player.Stop();

    const int context = ContextOf(stamps, media.fadeTone);
    const std::vector<Clock::time_point> in = RampSendTimes(stamps, context, start);
    ReportSent(name + ".in", in, periodMs);
    ReportHeard(name + ".in", left, frameZero, in, periodMs, true, start);
    if (speed == 20) {
        const std::vector<Clock::time_point> out = RampSendTimes(stamps, context, fadeOutFrom);
        ReportSent(name + ".out", out, periodMs);
        ReportHeard(name + ".out", left, frameZero, out, periodMs, false, fadeOutFrom);
    }
}

// Two songs mixing at speed 20: the new song's fade-in and the old one's fade-out run at
// once, each on its worker, while the loop polls.
void MeasureFadeMixing(const SMedia& media) {
    ::setenv("MIXOREL_AUDIO_SINK", "fakesink sync=true", 1);
    constexpr std::int32_t speed = 20;
    const double periodMs = static_cast<double>(CMCIThread::StepPeriod(speed).count());
    auto log = std::make_shared<CStampLog>();
    CMCIPlayer player(MakeEnvironment(log));
    Configure(player, false, 2, speed);
    player.Play(media.songA);
    std::this_thread::sleep_for(500ms);
    player.SetMixEnabled(true);
    const Clock::time_point mixFrom = Clock::now();
    player.Play(media.songB);
    PollLikeTheLoop(player, Clock::now() + 1500ms, false);
    const std::vector<SStamp> stamps = log->Take();
    player.SetMixEnabled(false);
    player.Stop();
    ReportSent("fade.speed20.mixing.in",
               RampSendTimes(stamps, ContextOf(stamps, media.songB), mixFrom), periodMs);
    ReportSent("fade.speed20.mixing.out",
               RampSendTimes(stamps, ContextOf(stamps, media.songA), mixFrom), periodMs);
}

// Plain starts of an mp3: from the Play call to the first non-silent sample rendered by
// the synchronised sink, and to the first position above 0.
void MeasureLatency(const SMedia& media) {
    CPipeCapture capture;
    if (!capture.Ok()) {
        std::puts("no pipe for the capture");
        return;
    }
    ::setenv("MIXOREL_AUDIO_SINK", capture.SinkDescription().c_str(), 1);
    auto log = std::make_shared<CStampLog>();
    CMCIPlayer player(MakeEnvironment(log));
    Configure(player, false, 2, 20);
    std::vector<double> audible;
    std::vector<double> firstSample;
    std::vector<double> position;
    std::vector<double> returned;
    constexpr int kRounds = 11; // the first is cold (plug-ins loaded) and reported apart
    for (int round = 0; round < kRounds; ++round) {
        capture.Reset();
        const Clock::time_point start = Clock::now();
        player.Play(media.latency);
        const Clock::time_point back = Clock::now();
        Clock::time_point moved = start;
        WaitUntil(
            [&] {
                std::string reply;
                moved = Clock::now();
                return player.SendCommand("status mpeg position", reply) &&
                       std::atoll(reply.c_str()) > 0;
            },
            3000ms, 2ms);
        std::this_thread::sleep_until(start + 900ms);
        std::optional<Clock::time_point> frameZero;
        const std::vector<float> left = capture.Snapshot(frameZero);
        player.Stop();
        std::this_thread::sleep_for(150ms);
        if (!frameZero) {
            std::puts("latency: nothing heard");
            continue;
        }
        Values("latency round " + std::to_string(round) + ": seconds captured in 900 ms",
               {static_cast<double>(left.size()) / kRate});
        std::size_t loud = 0;
        while (loud < left.size() && std::fabs(left[loud]) < 0.01f) {
            ++loud;
        }
        const double heardMs =
            Since(start, *frameZero) + static_cast<double>(loud) * 1000.0 / kRate;
        if (round == 0) {
            Figure("latency.cold.play_to_audible", heardMs, "ms");
            continue;
        }
        audible.push_back(heardMs);
        firstSample.push_back(Since(start, *frameZero));
        position.push_back(Since(start, moved));
        returned.push_back(Since(start, back));
    }
    if (audible.empty()) {
        return;
    }
    Figure("latency.play_returns.median", Median(returned), "ms");
    Figure("latency.play_to_first_sample.median", Median(firstSample), "ms");
    Figure("latency.play_to_audible.median", Median(audible), "ms");
    Figure("latency.play_to_audible.worst", *std::max_element(audible.begin(), audible.end()),
           "ms");
    Figure("latency.play_to_position_above_0.median", Median(position), "ms");
}

double ProcessCpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& value) {
        return static_cast<double>(value.tv_sec) + static_cast<double>(value.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// CPU of the process (and of a sound server, when given) while one song plays for 3 s,
// then while two songs mix for 5 s (speed 16: both ramps take 5 s).
void MeasureCpu(const SMedia& media, const std::string& sink, const std::string& name,
                const ChildProcess* server) {
    ::setenv("MIXOREL_AUDIO_SINK", sink.c_str(), 1);
    auto log = std::make_shared<CStampLog>();
    CMCIPlayer player(MakeEnvironment(log));
    Configure(player, false, 6, 16);
    player.Play(media.songA);
    std::this_thread::sleep_for(500ms);
    const auto measure = [&](const std::string& what, std::chrono::milliseconds span) {
        const double cpu0 = ProcessCpuSeconds();
        const double server0 = server ? server->CpuSeconds() : -1;
        const Clock::time_point wall0 = Clock::now();
        PollLikeTheLoop(player, wall0 + span, false);
        const double wall = std::chrono::duration<double>(Clock::now() - wall0).count();
        Figure("cpu." + name + "." + what + ".process", 100.0 * (ProcessCpuSeconds() - cpu0) / wall,
               "% of a core");
        if (server) {
            Figure("cpu." + name + "." + what + ".server",
                   100.0 * (server->CpuSeconds() - server0) / wall, "% of a core");
        }
    };
    measure("one_song", 3000ms);
    player.SetMixEnabled(true);
    player.Play(media.songB);
    measure("two_mixing", 5000ms);
    std::string reply;
    player.SetMixEnabled(false);
    player.Stop();
}

// pulsesink into a null sink of a private PulseAudio daemon.
void MeasureCpuWithPulse(const SMedia& media, const CScratchDir& dir) {
    if (!HaveTool("pulseaudio") || !HaveTool("pactl") ||
        Shell("gst-inspect-1.0 pulsesink > /dev/null 2>&1") != 0) {
        std::puts("cpu with pulsesink: PulseAudio or pulsesink missing, left out");
        return;
    }
    std::filesystem::create_directories(dir.File("pulse-run"));
    std::filesystem::create_directories(dir.File("pulse-state"));
    const std::string socket = dir.File("pulse-native");
    const std::string server = "unix:" + socket;
    ChildProcess daemon;
    if (!daemon.Start({"pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
                       "--use-pid-file=no", "-L",
                       "module-native-protocol-unix auth-anonymous=1 socket=" + socket, "-L",
                       "module-null-sink sink_name=mixorel_bench"},
                      dir.File("pulseaudio.log"),
                      {{"PULSE_RUNTIME_PATH", dir.File("pulse-run")},
                       {"PULSE_STATE_PATH", dir.File("pulse-state")},
                       {"PULSE_SERVER", server},
                       {"HOME", dir.Path()}})) {
        std::puts("cpu with pulsesink: the sound server did not start");
        return;
    }
    ::setenv("PULSE_SERVER", server.c_str(), 1);
    if (!WaitUntil([] { return Shell("pactl info > /dev/null 2>&1") == 0; }, 5000ms, 50ms)) {
        std::puts("cpu with pulsesink: the sound server did not answer");
        daemon.Stop(SIGTERM, 3s);
        return;
    }
    MeasureCpu(media, "pulsesink", "pulsesink", &daemon);
    daemon.Stop(SIGTERM, 3s);
    ::unsetenv("PULSE_SERVER");
}

bool MakeMedia(const CScratchDir& dir, SMedia& media) {
    if (!HaveTool("sox") || !HaveTool("lame")) {
        return false;
    }
    const std::string commands =
        "cd '" + dir.Path() +
        "' && sox -n -r 44100 -c 2 fade.wav synth 14 sine 1000 vol 0.5"
        " && sox -n -r 44100 -c 2 a.wav synth 10 sine 440 vol 0.5"
        " && sox -n -r 44100 -c 2 b.wav synth 10 sine 1000 vol 0.5"
        " && sox -n -r 44100 -c 2 lat.wav synth 3 sine 1000 vol 0.5"
        " && lame --quiet -b 128 a.wav a.mp3 && lame --quiet -b 128 b.wav b.mp3"
        " && lame --quiet -b 128 lat.wav lat.mp3 && lame --quiet -b 128 fade.wav fade.mp3";
    if (Shell(commands) != 0) {
        return false;
    }
    media.fadeTone = dir.File("fade.mp3");
    media.songA = dir.File("a.mp3");
    media.songB = dir.File("b.mp3");
    media.latency = dir.File("lat.mp3");
    return true;
}

} // namespace

int main(int argc, char** argv) {
    bool bQuick = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quick") == 0) {
            bQuick = true; // leaves out the 11 s ramp at speed 10
        } else if (std::strcmp(argv[i], "--verbose") == 0) {
            g_bVerbose = true;
        }
    }
    CScratchDir dir;
    SMedia media;
    if (!dir.Ok() || !MakeMedia(dir, media)) {
        std::fputs("mixorel-playback-bench: needs sox and lame\n", stderr);
        return 1;
    }
    // Latency first, so that its cold round is the process's first start.
    MeasureLatency(media);
    MeasureFadeAlone(media, 20);
    if (!bQuick) {
        MeasureFadeAlone(media, 10);
    }
    MeasureFadeMixing(media);
    MeasureCpu(media, "fakesink sync=true", "fakesink", nullptr);
    MeasureCpuWithPulse(media, dir);
    return 0;
}
