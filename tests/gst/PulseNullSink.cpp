#include "PulseNullSink.h"

#include "support/TestFiles.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>
#include <thread>

namespace {

using namespace std::chrono_literals;

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit,
             std::chrono::milliseconds period) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(period);
    }
    return true;
}

} // namespace

std::string PulseNullSink::MissingTool() {
    for (const char* tool :
         {"pulseaudio", "parec", "parecord", "pactl", "sox", "gst-inspect-1.0"}) {
        if (!TestFiles::HaveTool(tool)) {
            return tool;
        }
    }
    if (TestFiles::Run("gst-inspect-1.0 pulsesink > /dev/null 2>&1") != 0) {
        return "GStreamer's pulsesink";
    }
    return {};
}

// The latency "pactl list sinks" shows for the test sink, in microseconds; -1 unknown.
long PulseNullSink::SinkLatencyUsec() const {
    std::string command = "PULSE_SERVER=" + TestFiles::ShellQuote(m_client.at("PULSE_SERVER")) +
                          " pactl list sinks 2>/dev/null";
    std::istringstream lines(TestFiles::Capture(command));
    std::string line;
    bool ours = false;
    while (std::getline(lines, line)) {
        if (line.find("Name: ") != std::string::npos) {
            ours = line.find(kSink) != std::string::npos;
        }
        const std::size_t at = line.find("Latency: ");
        if (ours && at != std::string::npos) {
            return std::atol(line.c_str() + at + 9);
        }
    }
    return -1;
}

bool PulseNullSink::Start(const std::string& folder, std::string& error) {
    std::filesystem::create_directories(folder + "/run");
    std::filesystem::create_directories(folder + "/state");
    const std::string server = "unix:" + folder + "/native";
    m_client = {{"PULSE_RUNTIME_PATH", folder + "/run"},
                {"PULSE_STATE_PATH", folder + "/state"},
                {"PULSE_SERVER", server}};
    std::map<std::string, std::string> daemonEnvironment = m_client;
    daemonEnvironment["HOME"] = folder;
    if (!m_daemon.Start(
            {"pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no", "-L",
             "module-native-protocol-unix auth-anonymous=1 socket=" + folder + "/native", "-L",
             std::string("module-null-sink sink_name=") + kSink},
            folder + "/pulseaudio.log", daemonEnvironment)) {
        error = "the sound server did not start";
        return false;
    }
    const std::string info =
        "PULSE_SERVER=" + TestFiles::ShellQuote(server) + " pactl info > /dev/null 2>&1";
    if (!WaitFor([&] { return TestFiles::Run(info) == 0; }, 5000ms, 50ms)) {
        error = "the sound server did not come up";
        return false;
    }
    if (!m_reader.Start({"parec", "-d", std::string(kSink) + ".monitor", "--latency-msec=20"},
                        "/dev/null", m_client) ||
        !WaitFor(
            [&] {
                const long latency = SinkLatencyUsec();
                return latency >= 0 && latency < 100000;
            },
            8000ms, 100ms)) {
        error = "the sink's latency stayed at " + std::to_string(SinkLatencyUsec()) + " us";
        return false;
    }
    m_strRecording = folder + "/recording.wav";
    if (!m_recorder.Start({"parecord", "-d", std::string(kSink) + ".monitor", "--file-format=wav",
                           "--format=s16le", "--rate=44100", "--channels=2", "--latency-msec=20",
                           m_strRecording},
                          folder + "/parecord.log", m_client) ||
        !WaitFor([&] { return std::filesystem::exists(m_strRecording); }, 3000ms, 20ms)) {
        error = "the recorder did not start";
        return false;
    }
    std::this_thread::sleep_for(300ms);
    return true;
}

bool PulseNullSink::Stop() {
    const bool recorder = m_recorder.Stop(SIGINT, 3000ms);
    const bool reader = m_reader.Stop(SIGTERM, 3000ms);
    const bool daemon = m_daemon.Stop(SIGTERM, 3000ms);
    return recorder && reader && daemon;
}
