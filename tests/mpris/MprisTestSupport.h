#pragma once

#include "support/ChildProcess.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <QCoreApplication>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using namespace std::chrono_literals;

// Shared by the tests of the MPRIS link, which run on a private session bus
// (dbus-run-session).
namespace MprisTestSupport {

// Polls the condition every 20 ms until it holds or the limit passes.
bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit);
// What the file holds once it holds every one of texts, or when the limit passed; meanwhile
// runs between the reads.
std::string WaitForTexts(
    const std::string& path, const std::vector<std::string>& texts, std::chrono::milliseconds limit,
    const std::function<void()>& meanwhile = [] {});
// The Qt application a test needs for the bus.
std::unique_ptr<QCoreApplication> MakeApp();
// This test program, for a child that serves a scripted player on the bus.
std::string SelfPath();
// The child's entry: serves the player that mode names until it is told to quit.
int ServePlayer(int argc, char** argv, const std::string& mode);

} // namespace MprisTestSupport

using MprisTestSupport::WaitFor;
