#pragma once

#include "support/ChildProcess.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

using namespace std::chrono_literals;

// Shared by the tests of the MPRIS link, which run on a private session bus
// (dbus-run-session). Their program is also the scripted player some of them start as a
// child process (main.cpp).

// Polls the condition every 20 ms until it holds or the limit passes.
inline bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

// The Qt application a test needs for the bus.
inline std::unique_ptr<QCoreApplication> MakeApp() {
    static int argc = 1;
    static char* argv[] = {const_cast<char*>("mpris_tests"), nullptr};
    return std::make_unique<QCoreApplication>(argc, argv);
}

// dbus-monitor on the session bus for the messages that match rule, listening once made.
class BusMonitor {
public:
    explicit BusMonitor(const std::string& rule)
        : m_bStarted(m_child.Start({"dbus-monitor", "--session", rule}, m_dir.File("log"), {})) {
        std::this_thread::sleep_for(500ms);
    }
    bool Started() const { return m_bStarted; }
    // What it saw once it saw every one of texts, or when the limit passed; meanwhile runs
    // between the reads. It stops then.
    std::string Seen(
        const std::vector<std::string>& texts, std::chrono::milliseconds limit,
        const std::function<void()>& meanwhile = [] {}) {
        std::string seen;
        WaitFor(
            [&] {
                meanwhile();
                std::ifstream in(m_dir.File("log"));
                seen.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
                return std::all_of(texts.begin(), texts.end(), [&](const std::string& text) {
                    return seen.find(text) != std::string::npos;
                });
            },
            limit);
        m_child.Stop(SIGTERM, 2000ms);
        return seen;
    }

private:
    TempDir m_dir;
    ChildProcess m_child;
    bool m_bStarted;
};
