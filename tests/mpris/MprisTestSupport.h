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
// (dbus-run-session).
namespace MprisTestSupport {

// Polls the condition every 20 ms until it holds or the limit passes.
bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit);
// The Qt application a test needs for the bus.
std::unique_ptr<QCoreApplication> MakeApp();
// This test program, for a child that serves a scripted player on the bus.
std::string SelfPath();
// The child's entry: serves the player that mode names until it is told to quit.
int ServePlayer(int argc, char** argv, const std::string& mode);

} // namespace MprisTestSupport

using MprisTestSupport::WaitFor;

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
