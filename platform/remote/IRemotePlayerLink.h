#pragma once

// The link through which the remote-player back end reaches a separate audio player: the
// player's windows are found by class and enumerated, messages go to them with their
// codes (RemoteMessages.h), a window's caption can be read and a program started. The
// program links an implementation over MPRIS on the D-Bus session bus
// (platform/mpris); tests link a scripted fake. Standard C++ only.
//
// Threads: the user-interface thread, the loop driver and the scheduler send messages at
// the same time; an implementation is safe to call from any thread.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// A window of the remote player; 0 is no window. A handle stays the same for as long as
// the window exists and is never given to another window afterwards.
using RemoteWindow = std::uint64_t;

class IRemotePlayerLink {
public:
    // Start results of StartProgram above this value mean the program was started.
    static constexpr std::int64_t kStartFailedLimit = 32;

    virtual ~IRemotePlayerLink() = default;

    // The first window of that class; 0 when none exists.
    virtual RemoteWindow FindWindow(const std::string& className) = 0;
    // Every top-level window, in a stable order.
    virtual std::vector<RemoteWindow> EnumWindows() = 0;
    // The class name of a window; empty when the window does not exist.
    virtual std::string GetClassName(RemoteWindow hWindow) = 0;
    // The caption of a window, at most nMaxChars characters; empty when there is none.
    virtual std::string GetWindowText(RemoteWindow hWindow, std::size_t nMaxChars) = 0;
    // Sends a message and waits for the window's answer; 0 when the window does not exist
    // or does not answer.
    virtual std::int64_t SendMessage(RemoteWindow hWindow, std::uint32_t nMessage,
                                     std::int64_t wParam, std::int64_t lParam) = 0;
    // Posts a message without waiting for it to be carried out; false when it could not
    // be handed over.
    virtual bool PostMessage(RemoteWindow hWindow, std::uint32_t nMessage, std::int64_t wParam,
                             std::int64_t lParam) = 0;
    // Sends WM_COPYDATA: a data type and a block of bytes; answers as SendMessage.
    virtual std::int64_t SendCopyData(RemoteWindow hWindow, std::uint64_t nDataType,
                                      std::span<const char> data) = 0;
    // Starts the program at path, shown normally. Answers a value above
    // kStartFailedLimit when it was started, otherwise an error value (2: not found).
    virtual std::int64_t StartProgram(const std::string& path) = 0;
};
