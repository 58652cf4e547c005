#pragma once

#include <chrono>
#include <cstdint>
#include <memory>

class CMixorel2001Doc;

// The loop driver thread of one document, as the document starts and stops it. The
// playback side makes it.
class ILoopRunner {
public:
    virtual ~ILoopRunner() = default;
    // Asks the driver to end (the process-wide stop flag and its quit message); a driver
    // that has already ended does nothing, so another list's loop is left alone.
    virtual void RequestStop() = 0;
    // True once the thread has ended (waiting at most timeout).
    virtual bool WaitEnded(std::chrono::milliseconds timeout) = 0;
};

class ILoopRunnerFactory {
public:
    virtual ~ILoopRunnerFactory() = default;
    // Starts a driver for the document under the loop token; nullptr when no thread can
    // be made.
    virtual std::unique_ptr<ILoopRunner> StartDriver(CMixorel2001Doc& doc, std::uint32_t token) = 0;
};

// What the end of a loop with "stoploopatend" asks for when the shut-down command is on:
// the main window powers the computer off (asking first when so set).
class IShutdownRequest {
public:
    virtual ~IShutdownRequest() = default;
    virtual void RequestShutdown() = 0;
};
