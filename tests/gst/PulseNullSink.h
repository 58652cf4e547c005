#pragma once

// A private PulseAudio server with one null sink whose monitor is recorded, for the tests
// that listen to what the player sends out. Everything lives in a temporary folder; the
// server, a low-latency reader (an idle null sink otherwise runs with 2 s of latency)
// and the recorder are child processes stopped by their process ids.

#include "GstTestSupport.h"

#include "support/ChildProcess.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

class PulseNullSink {
public:
    static constexpr const char* kSink = "mixorel_e2e";
    static constexpr int kRate = 44100; // of the recording

    // Empty when every tool the tests need is installed, else what is missing.
    static std::string MissingTool() {
        for (const char* tool :
             {"pulseaudio", "parec", "parecord", "pactl", "sox", "lame", "gst-inspect-1.0"}) {
            if (!TestFiles::HaveTool(tool)) {
                return tool;
            }
        }
        if (TestFiles::Run("gst-inspect-1.0 pulsesink > /dev/null 2>&1") != 0) {
            return "GStreamer's pulsesink";
        }
        return {};
    }

    // Starts the server in folder and the recorder; false with the reason in error.
    bool Start(const std::string& folder, std::string& error) {
        std::filesystem::create_directories(folder + "/run");
        std::filesystem::create_directories(folder + "/state");
        m_client = {{"PULSE_RUNTIME_PATH", folder + "/run"},
                    {"PULSE_STATE_PATH", folder + "/state"},
                    {"PULSE_SERVER", "unix:" + folder + "/native"}};
        std::map<std::string, std::string> daemonEnvironment = m_client;
        daemonEnvironment["HOME"] = folder;
        if (!m_daemon.Start(
                {"pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
                 "-L", "module-native-protocol-unix auth-anonymous=1 socket=" + folder + "/native",
                 "-L", std::string("module-null-sink sink_name=") + kSink},
                folder + "/pulseaudio.log", daemonEnvironment)) {
            return Failed(error, "the sound server did not start");
        }
        if (!WaitFor([&] { return SinkLatencyUsec() >= 0; }, 5000ms, 50ms)) {
            return Failed(error, "the sound server did not come up");
        }
        if (!m_reader.Start({"parec", "-d", std::string(kSink) + ".monitor", "--latency-msec=20"},
                            "/dev/null", m_client) ||
            !WaitFor(
                [&] {
                    const long latency = SinkLatencyUsec();
                    return latency >= 0 && latency < 100000;
                },
                8000ms, 100ms)) {
            return Failed(error, "the sink's latency stayed at " +
                                     std::to_string(SinkLatencyUsec()) + " us");
        }
        m_strRecording = folder + "/recording.wav";
        if (!m_recorder.Start({"parecord", "-d", std::string(kSink) + ".monitor",
                               "--file-format=wav", "--format=s16le", "--rate=44100",
                               "--channels=2", "--latency-msec=20", m_strRecording},
                              folder + "/parecord.log", m_client) ||
            !WaitFor([&] { return std::filesystem::exists(m_strRecording); }, 3000ms, 20ms)) {
            return Failed(error, "the recorder did not start");
        }
        std::this_thread::sleep_for(300ms);
        return true;
    }

    // Stops the recorder, the reader and the server; false when one would not stop.
    bool Stop() {
        const bool recorder = m_recorder.Stop(SIGINT, 3000ms);
        const bool reader = m_reader.Stop(SIGTERM, 3000ms);
        return m_daemon.Stop(SIGTERM, 3000ms) && recorder && reader;
    }

    // Stops everything a moment after the last sound and reads the recording through sox
    // (a recorder stopped by a signal may leave the sizes unset): the channels mixed down,
    // full scale 1.0, kRate samples a second. False, with the reason in error, when
    // something would not stop or nothing could be read.
    bool StopAndRead(std::vector<float>& mono, std::string& error) {
        std::this_thread::sleep_for(300ms);
        const std::string raw = m_strRecording + ".f32";
        if (!Stop()) {
            return Failed(error, "the recorder or the sound server would not stop");
        }
        if (TestFiles::Run("sox --ignore-length " + TestFiles::ShellQuote(m_strRecording) +
                           " -t raw -e floating-point -b 32 -c 1 " + TestFiles::ShellQuote(raw) +
                           " 2>/dev/null") != 0) {
            return Failed(error, "sox could not read the recording");
        }
        const auto bytes = ReadAll(raw);
        mono.resize(bytes.size() / sizeof(float));
        std::memcpy(mono.data(), bytes.data(), mono.size() * sizeof(float));
        return !mono.empty() || Failed(error, "the recording is empty");
    }

    // What a client of this server needs in its environment.
    const std::map<std::string, std::string>& ClientEnvironment() const { return m_client; }

private:
    static bool Failed(std::string& error, const std::string& reason) {
        error = reason;
        return false;
    }
    // The latency "pactl list sinks" shows for the test sink, in microseconds; -1 unknown.
    long SinkLatencyUsec() const {
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

    std::map<std::string, std::string> m_client;
    std::string m_strRecording;
    ChildProcess m_daemon;
    ChildProcess m_reader;
    ChildProcess m_recorder;
};

// A test with a sound server of its own in a temporary folder, skipped without the tools.
class PulseNullSinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const std::string missing = PulseNullSink::MissingTool(); !missing.empty()) {
            GTEST_SKIP() << missing << " is not installed";
        }
        std::string error;
        ASSERT_TRUE(m_sink.Start(m_dir.File("pulse"), error)) << error;
    }
    void TearDown() override { EXPECT_TRUE(m_sink.Stop()) << "a child would not stop"; }
    // Makes this process's own players play through the null sink (pulsesink).
    void PlayHereThroughTheSink() {
        for (const auto& [name, value] : m_sink.ClientEnvironment()) {
            ::setenv(name.c_str(), value.c_str(), 1);
        }
        ::setenv("MIXOREL_AUDIO_SINK", "pulsesink", 1);
    }

    // The environment of a mixorel-cli child that plays through the sink, with its own
    // settings (the lines of section "internal" given), cache and home in the test folder.
    std::map<std::string, std::string> CliEnvironment(const std::string& internalSettings) {
        std::filesystem::create_directories(m_dir.File("config/Mixorel"));
        std::ofstream(m_dir.File("config/Mixorel/Mixorel.ini")) << "[internal]\n"
                                                                << internalSettings;
        std::map<std::string, std::string> environment = m_sink.ClientEnvironment();
        environment["MIXOREL_AUDIO_SINK"] = "pulsesink";
        environment["XDG_CONFIG_HOME"] = m_dir.File("config");
        environment["XDG_CACHE_HOME"] = m_dir.File("cache");
        environment["MIXOREL_HOME"] = m_dir.File("home");
        return environment;
    }

    TempDir m_dir;
    PulseNullSink m_sink;
};
