#pragma once

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

// Shared by the end-to-end tests and the playback benchmark (header only, no test
// framework), for the sound server and the recorders they start.
// A child process started with extra environment, its output in a file, stopped by its
// process id. A process that is a zombie counts as gone.
class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess() { Stop(SIGKILL, std::chrono::milliseconds(2000)); }

    bool Start(const std::vector<std::string>& args, const std::string& outputPath,
               const std::map<std::string, std::string>& extraEnvironment) {
        std::map<std::string, std::string> environment;
        for (char** entry = environ; *entry != nullptr; ++entry) {
            const std::string text = *entry;
            const std::size_t equals = text.find('=');
            if (equals != std::string::npos) {
                environment[text.substr(0, equals)] = text.substr(equals + 1);
            }
        }
        for (const auto& [name, value] : extraEnvironment) {
            environment[name] = value;
        }
        std::vector<std::string> envTexts;
        for (const auto& [name, value] : environment) {
            envTexts.push_back(name + "=" + value);
        }
        std::vector<char*> argv;
        for (const std::string& arg : args) {
            argv.push_back(const_cast<char*>(arg.c_str()));
        }
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (const std::string& text : envTexts) {
            envp.push_back(const_cast<char*>(text.c_str()));
        }
        envp.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, outputPath.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        const int error =
            posix_spawnp(&m_pid, args[0].c_str(), &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (error != 0) {
            m_pid = 0;
        }
        return m_pid > 0;
    }

    bool IsGone() {
        if (m_pid <= 0) {
            return true;
        }
        int status = 0;
        if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = 0;
            return true;
        }
        std::ifstream stat("/proc/" + std::to_string(m_pid) + "/stat");
        std::string text;
        if (!std::getline(stat, text)) {
            return true;
        }
        const std::size_t close = text.rfind(')');
        return close != std::string::npos && close + 2 < text.size() && text[close + 2] == 'Z';
    }

    // Sends the signal and waits until the process is gone; kills it after the limit.
    bool Stop(int signal, std::chrono::milliseconds limit) {
        if (IsGone()) {
            return true;
        }
        ::kill(m_pid, signal);
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!IsGone()) {
            if (std::chrono::steady_clock::now() >= deadline) {
                ::kill(m_pid, SIGKILL);
                const auto killDeadline =
                    std::chrono::steady_clock::now() + std::chrono::milliseconds(2000);
                while (!IsGone() && std::chrono::steady_clock::now() < killDeadline) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                }
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }

    pid_t Pid() const { return m_pid; }

    // User + system CPU seconds of the child so far; -1 when unknown.
    double CpuSeconds() const {
        std::ifstream stat("/proc/" + std::to_string(m_pid) + "/stat");
        std::string text;
        if (m_pid <= 0 || !std::getline(stat, text)) {
            return -1;
        }
        const std::size_t close = text.rfind(')');
        if (close == std::string::npos) {
            return -1;
        }
        // Fields after the name: state is field 3; utime and stime are fields 14 and 15.
        std::vector<std::string> fields;
        std::size_t at = close + 2;
        while (at < text.size()) {
            const std::size_t blank = text.find(' ', at);
            fields.push_back(text.substr(at, blank - at));
            if (blank == std::string::npos) {
                break;
            }
            at = blank + 1;
        }
        if (fields.size() < 13) {
            return -1;
        }
        const double ticks = static_cast<double>(::sysconf(_SC_CLK_TCK));
        return (std::atof(fields[11].c_str()) + std::atof(fields[12].c_str())) / ticks;
    }

private:
    pid_t m_pid = 0;
};
