#pragma once

#include "platform/remote/IRemotePlayerLink.h"

#include <map>
#include <mutex>
#include <string>
#include <vector>

// A remote-player link for tests. It records every message, with its window, code,
// parameters and whether it was sent or posted, and answers as a scripted player would:
// the version, play state, position and length it was given; the start button plays,
// stop stops, pause toggles, a file sent becomes the caption, close removes the player's
// windows. A started program can be scripted to show a window after a number of looks.
//
// Threads: one mutex guards everything, so tests may drive the player from several
// threads at once.
class FakeRemotePlayerLink : public IRemotePlayerLink {
public:
    struct Message {
        RemoteWindow hWindow = 0;
        std::uint32_t nMessage = 0;
        std::int64_t wParam = 0;
        std::int64_t lParam = 0;
        bool bPosted = false;
        std::string data; // WM_COPYDATA bytes
    };

    // A window of that class; the player answers in every window it has.
    RemoteWindow AddWindow(const std::string& className, const std::string& caption = {});
    void RemoveWindow(RemoteWindow hWindow);

    void SetVersion(std::int64_t nVersion);
    void SetPlayState(std::int64_t nState);
    void SetPositionMs(std::int64_t nPositionMs);
    void SetLengthSeconds(std::int64_t nLengthSeconds);
    void SetCaption(RemoteWindow hWindow, const std::string& caption);

    // What StartProgram answers, and the window it makes appear: of that class, once
    // FindWindow has been asked for that class nLooks more times (never when nLooks < 0).
    void ScriptStart(std::int64_t nResult, const std::string& className, int nLooks);

    std::vector<Message> Messages() const;
    void ClearMessages();
    int EnumCount() const;
    std::vector<std::string> StartedPrograms() const;
    std::int64_t PlayState() const;
    std::string FileSent() const;

    RemoteWindow FindWindow(const std::string& className) override;
    std::vector<RemoteWindow> EnumWindows() override;
    std::string GetClassName(RemoteWindow hWindow) override;
    std::string GetWindowText(RemoteWindow hWindow, std::size_t nMaxChars) override;
    std::int64_t SendMessage(RemoteWindow hWindow, std::uint32_t nMessage, std::int64_t wParam,
                             std::int64_t lParam) override;
    bool PostMessage(RemoteWindow hWindow, std::uint32_t nMessage, std::int64_t wParam,
                     std::int64_t lParam) override;
    std::int64_t SendCopyData(RemoteWindow hWindow, std::uint64_t nDataType,
                              std::span<const char> data) override;
    std::int64_t StartProgram(const std::string& path) override;

private:
    struct Window {
        std::string className;
        std::string caption;
    };
    // Both expect the mutex to be held.
    RemoteWindow AddWindowLocked(const std::string& className, const std::string& caption);
    std::int64_t Answer(RemoteWindow hWindow, std::uint32_t nMessage, std::int64_t wParam,
                        std::int64_t lParam);

    mutable std::mutex m_mutex;
    std::map<RemoteWindow, Window> m_windows;
    RemoteWindow m_nextWindow = 0x100;
    std::vector<Message> m_messages;
    std::int64_t m_nVersion = 0x2095;
    std::int64_t m_nPlayState = 0;
    std::int64_t m_nPositionMs = 0;
    std::int64_t m_nLengthSeconds = 0;
    std::string m_strBytes;    // one-byte IPC_PLAYFILE messages so far
    std::string m_strFileSent; // the last file the player received
    int m_nEnumCount = 0;
    std::vector<std::string> m_startedPrograms;
    std::int64_t m_nStartResult = 42;
    std::string m_strStartClass;
    int m_nStartLooks = -1;
};
