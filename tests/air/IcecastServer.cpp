#include "IcecastServer.h"

#include "support/TestFiles.h"

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

void KillAndReap(pid_t& pid) {
    if (pid <= 0) {
        return;
    }
    ::kill(-pid, SIGTERM);
    ::kill(pid, SIGTERM);
    int status = 0;
    for (int i = 0; i < 50 && ::waitpid(pid, &status, WNOHANG) == 0; ++i) {
        std::this_thread::sleep_for(100ms);
    }
    if (::waitpid(pid, &status, WNOHANG) == 0) {
        ::kill(-pid, SIGKILL);
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
    }
    pid = -1;
}

// Starts sh -c command in a process group of its own with its output in logPath.
pid_t Spawn(const std::string& command, const std::string& logPath) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setpgid(0, 0);
        const int log = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        ::dup2(log, STDOUT_FILENO);
        ::dup2(log, STDERR_FILENO);
        ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    return pid;
}

} // namespace

IcecastServer::IcecastServer(std::string folder) : m_strFolder(std::move(folder)) {
    std::random_device seed;
    m_nPort = 20000 + static_cast<int>(seed() % 20000);
}

IcecastServer::~IcecastServer() {
    Stop();
}

bool IcecastServer::Available() {
    return TestFiles::HaveTool("icecast2") && TestFiles::HaveTool("curl");
}

void IcecastServer::WriteConfig() const {
    const bool root = ::getuid() == 0;
    std::ofstream config(m_strFolder + "/icecast.xml");
    config << "<icecast>\n"
              "  <limits><sources>4</sources><clients>20</clients>"
              "<source-timeout>5</source-timeout><burst-size>0</burst-size></limits>\n"
              "  <authentication><source-password>"
           << kSourcePassword << "</source-password><admin-user>admin</admin-user><admin-password>"
           << kAdminPassword
           << "</admin-password></authentication>\n"
              "  <hostname>127.0.0.1</hostname>\n"
              "  <listen-socket><port>"
           << m_nPort
           << "</port><bind-address>127.0.0.1</bind-address></listen-socket>\n"
              "  <paths><basedir>/usr/share/icecast2</basedir><logdir>"
           << m_strFolder
           << "</logdir><webroot>/usr/share/icecast2/web</webroot>"
              "<adminroot>/usr/share/icecast2/admin</adminroot></paths>\n"
              "  <logging><errorlog>error.log</errorlog><accesslog>access.log</accesslog>"
              "<loglevel>3</loglevel></logging>\n"
              "  <security><chroot>0</chroot>";
    if (root) {
        config << "<changeowner><user>nobody</user><group>nogroup</group></changeowner>";
    }
    config << "</security>\n</icecast>\n";
    if (root) {
        // The server writes its logs as "nobody": its folder is opened to it, and the
        // test's folder above it to passing through.
        ::chmod(m_strFolder.c_str(), 0777);
        ::chmod(std::filesystem::path(m_strFolder).parent_path().c_str(), 0755);
    }
}

bool IcecastServer::Start() {
    WriteConfig();
    m_pid = Spawn("exec icecast2 -c " + TestFiles::ShellQuote(m_strFolder + "/icecast.xml"),
                  m_strFolder + "/icecast.out");
    for (int i = 0; i < 100; ++i) {
        if (Status().find("icestats") != std::string::npos) {
            return true;
        }
        std::this_thread::sleep_for(50ms);
    }
    return false;
}

void IcecastServer::Stop() {
    KillAndReap(m_pid);
}

std::string IcecastServer::Url(const std::string& mount) const {
    return "http://127.0.0.1:" + std::to_string(m_nPort) + mount;
}

std::string IcecastServer::Status() const {
    return TestFiles::Capture("curl -s -m 2 " + Url("/status-json.xsl"));
}

bool IcecastServer::HasSource(const std::string& mount) const {
    return Status().find("\"listenurl\":\"" + Url(mount) + "\"") != std::string::npos;
}

StreamListener::StreamListener(std::string url, std::string prefix)
    : m_strPrefix(std::move(prefix)) {
    const std::string q = TestFiles::ShellQuote(m_strPrefix);
    const std::string command = "i=0; while :; do i=$((i+1)); curl -s -N -H 'Icy-MetaData: 1' -D " +
                                q + "$i.head -o " + q + "$i.body " + TestFiles::ShellQuote(url) +
                                "; sleep 0.1; done";
    m_pid = Spawn(command, m_strPrefix + ".log");
}

StreamListener::~StreamListener() {
    Stop();
}

void StreamListener::Stop() {
    KillAndReap(m_pid);
}

// Attempts that found no stream (the server away) leave no file.
std::vector<std::string> StreamListener::Captures() const {
    std::vector<std::pair<int, std::string>> found;
    const std::filesystem::path prefix(m_strPrefix);
    const std::string stem = prefix.filename().string();
    for (const auto& entry : std::filesystem::directory_iterator(prefix.parent_path())) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(stem) && name.ends_with(".body")) {
            const std::string digits = name.substr(stem.size(), name.size() - stem.size() - 5);
            if (!digits.empty() && digits.find_first_not_of("0123456789") == std::string::npos) {
                found.emplace_back(std::stoi(digits), m_strPrefix + digits);
            }
        }
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> captures;
    for (auto& [index, path] : found) {
        captures.push_back(std::move(path));
    }
    return captures;
}
