#pragma once

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

// A real Icecast 2 server for a test: a generated configuration on 127.0.0.1 with its own
// port and passwords in a folder of its own, run as a plain child process. Icecast will
// not run as root, so as root the configuration has it change to "nobody" (and the folder
// is opened to that user).
class IcecastServer {
public:
    static constexpr const char* kSourcePassword = "hackme-source";
    static constexpr const char* kAdminPassword = "hackme-admin";

    explicit IcecastServer(std::string folder);
    ~IcecastServer();
    IcecastServer(const IcecastServer&) = delete;
    IcecastServer& operator=(const IcecastServer&) = delete;

    static bool Available();
    // Starts the server and waits until it answers; false when it does not in time.
    bool Start();
    void Stop();
    int Port() const { return m_nPort; }
    std::string Url(const std::string& mount) const;
    // The server's status page (JSON).
    std::string Status() const;
    // True when a source is connected on the mount.
    bool HasSource(const std::string& mount) const;

private:
    void WriteConfig() const;

    std::string m_strFolder;
    int m_nPort;
    pid_t m_pid = -1;
};

// Runs until stopped: a listener reading the mount over HTTP with ICY metadata asked for,
// connecting again whenever the stream breaks; each connection's reply headers and bytes
// go to files "<prefix>N.head" and "<prefix>N.body".
class StreamListener {
public:
    StreamListener(std::string url, std::string prefix);
    ~StreamListener();
    void Stop();
    // The captures in connection order, each the path without ".head" or ".body".
    std::vector<std::string> Captures() const;

private:
    std::string m_strPrefix;
    pid_t m_pid = -1;
};
