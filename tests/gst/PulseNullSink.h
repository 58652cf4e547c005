#pragma once

// A private PulseAudio server with one null sink whose monitor is recorded, for the tests
// that listen to what the player sends out. Everything lives in a temporary folder; the
// server, a low-latency reader (an idle null sink otherwise runs with 2 s of latency)
// and the recorder are child processes stopped by their process ids.

#include "support/ChildProcess.h"

#include <chrono>
#include <map>
#include <string>

class PulseNullSink {
public:
    static constexpr const char* kSink = "mixorel_e2e";

    // Empty when every tool the tests need is installed, else what is missing.
    static std::string MissingTool();

    // Starts the server in folder and the recorder; false with the reason in error.
    bool Start(const std::string& folder, std::string& error);
    // Stops the recorder, the reader and the server; false when one would not stop.
    bool Stop();

    // What a client of this server needs in its environment.
    const std::map<std::string, std::string>& ClientEnvironment() const { return m_client; }
    const std::string& RecordingPath() const { return m_strRecording; }

private:
    long SinkLatencyUsec() const;

    std::map<std::string, std::string> m_client;
    std::string m_strRecording;
    ChildProcess m_daemon;
    ChildProcess m_reader;
    ChildProcess m_recorder;
};
