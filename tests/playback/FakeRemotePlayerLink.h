#pragma once

#include "platform/remote/IRemotePlayerLink.h"
#include "platform/remote/RemoteMessages.h"

#include <map>
#include <mutex>
#include <span>
#include <string>
#include <type_traits>
#include <utility>
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
        bool operator==(const Message&) const = default;
    };

    // A window of that class; the player answers in every window it has.
    RemoteWindow AddWindow(const std::string& className, const std::string& caption = {}) {
        return Locked([&] { return AddWindowLocked(className, caption); });
    }
    void RemoveWindows() {
        Locked([&] { m_windows.clear(); });
    }
    void SetVersion(std::int64_t n) {
        Locked([&] { m_nVersion = n; });
    }
    void SetPlayState(std::int64_t n) {
        Locked([&] { m_nPlayState = n; });
    }
    void SetPositionMs(std::int64_t n) {
        Locked([&] { m_nPositionMs = n; });
    }
    void SetLengthSeconds(std::int64_t n) {
        Locked([&] { m_nLengthSeconds = n; });
    }
    void SetCaption(RemoteWindow hWindow, const std::string& caption) {
        Locked([&] { m_windows.at(hWindow).caption = caption; });
    }
    // What StartProgram answers, and the window it makes appear: of that class, once
    // FindWindow has been asked for that class nLooks more times (never when nLooks < 0).
    void ScriptStart(std::int64_t nResult, const std::string& className, int nLooks) {
        Locked([&] {
            m_nStartResult = nResult;
            m_strStartClass = className;
            m_nStartLooks = nLooks;
        });
    }

    std::vector<Message> Messages() const { return Get(m_messages); }
    void ClearMessages() {
        Locked([&] { m_messages.clear(); });
    }
    int EnumCount() const { return Get(m_nEnumCount); }
    std::vector<std::string> StartedPrograms() const { return Get(m_startedPrograms); }
    std::string FileSent() const { return Get(m_strFileSent); }

    RemoteWindow FindWindow(const std::string& className) override {
        std::lock_guard lock(m_mutex);
        // A started program shows its window after the scripted number of looks for it.
        if (!m_startedPrograms.empty() && m_nStartLooks >= 0 && className == m_strStartClass &&
            m_nStartLooks-- == 0) {
            AddWindowLocked(m_strStartClass, {});
        }
        for (const auto& [window, record] : m_windows) {
            if (record.className == className) {
                return window;
            }
        }
        return 0;
    }
    std::vector<RemoteWindow> EnumWindows() override {
        std::lock_guard lock(m_mutex);
        ++m_nEnumCount;
        std::vector<RemoteWindow> windows;
        for (const auto& entry : m_windows) {
            windows.push_back(entry.first);
        }
        return windows;
    }
    std::string GetClassName(RemoteWindow hWindow) override {
        return Locked([&] { return Find(hWindow).className; });
    }
    std::string GetWindowText(RemoteWindow hWindow, std::size_t nMaxChars) override {
        return Locked([&] { return Find(hWindow).caption.substr(0, nMaxChars); });
    }
    std::int64_t SendMessage(RemoteWindow hWindow, std::uint32_t nMessage, std::int64_t wParam,
                             std::int64_t lParam) override {
        std::lock_guard lock(m_mutex);
        m_messages.push_back(Message{hWindow, nMessage, wParam, lParam, false, {}});
        return Answer(hWindow, nMessage, wParam, lParam);
    }
    bool PostMessage(RemoteWindow hWindow, std::uint32_t nMessage, std::int64_t wParam,
                     std::int64_t lParam) override {
        std::lock_guard lock(m_mutex);
        m_messages.push_back(Message{hWindow, nMessage, wParam, lParam, true, {}});
        Answer(hWindow, nMessage, wParam, lParam);
        return m_windows.count(hWindow) != 0;
    }
    std::int64_t SendCopyData(RemoteWindow hWindow, std::uint64_t nDataType,
                              std::span<const char> data) override {
        namespace Msg = RemoteMessages;
        std::lock_guard lock(m_mutex);
        m_messages.push_back(Message{hWindow, Msg::kWmCopyData,
                                     static_cast<std::int64_t>(nDataType), 0, false,
                                     std::string(data.begin(), data.end())});
        if (m_windows.count(hWindow) == 0 || nDataType != Msg::kIpcPlayFile) {
            return 0;
        }
        const std::string text(data.data(), data.size());
        m_strFileSent = text.substr(0, text.find('\0'));
        for (auto& entry : m_windows) {
            entry.second.caption = m_strFileSent.substr(m_strFileSent.find_last_of('/') + 1);
        }
        return 1;
    }
    std::int64_t StartProgram(const std::string& path) override {
        std::lock_guard lock(m_mutex);
        m_startedPrograms.push_back(path);
        return m_nStartResult;
    }

private:
    struct Window {
        std::string className;
        std::string caption;
    };

    template <typename F> std::invoke_result_t<F&> Locked(F f) const {
        std::lock_guard lock(m_mutex);
        return f();
    }
    template <typename T> T Get(const T& member) const {
        return Locked([&] { return member; });
    }
    // The rest expect the mutex to be held.
    RemoteWindow AddWindowLocked(const std::string& className, const std::string& caption) {
        m_windows[m_nextWindow] = Window{className, caption};
        return m_nextWindow++;
    }
    Window Find(RemoteWindow hWindow) const {
        const auto it = m_windows.find(hWindow);
        return it == m_windows.end() ? Window{} : it->second;
    }
    std::int64_t Answer(RemoteWindow hWindow, std::uint32_t nMessage, std::int64_t wParam,
                        std::int64_t lParam) {
        namespace Msg = RemoteMessages;
        if (m_windows.count(hWindow) == 0) {
            return 0;
        }
        if (nMessage == Msg::kWmClose) {
            m_windows.clear();
            m_nPlayState = Msg::kIsPlayingStopped;
        } else if (nMessage == Msg::kWmCommand) {
            if (wParam == Msg::kButtonStop || wParam == Msg::kButtonFadeOutStop) {
                m_nPlayState = Msg::kIsPlayingStopped;
            } else if (wParam == Msg::kButtonPause && m_nPlayState != Msg::kIsPlayingStopped) {
                m_nPlayState = m_nPlayState == Msg::kIsPlayingPaused ? Msg::kIsPlayingPlaying
                                                                     : Msg::kIsPlayingPaused;
            } else if (wParam == Msg::kButtonNext) {
                m_nPlayState = Msg::kIsPlayingPlaying;
            }
        } else if (nMessage == Msg::kWmUser) {
            switch (lParam) {
            case Msg::kIpcGetVersion:
                return m_nVersion;
            case Msg::kIpcPlayFile:
                if (wParam == 0) {
                    m_strFileSent = std::exchange(m_strBytes, {});
                } else {
                    m_strBytes.push_back(static_cast<char>(wParam));
                }
                break;
            case Msg::kIpcDelete:
                m_strBytes.clear();
                break;
            case Msg::kIpcStartPlay:
                m_nPlayState = Msg::kIsPlayingPlaying;
                break;
            case Msg::kIpcIsPlaying:
                return m_nPlayState;
            case Msg::kIpcGetOutputTime:
                return wParam == 1 ? m_nLengthSeconds : m_nPositionMs;
            case Msg::kIpcJumpToTime:
                m_nPositionMs = wParam;
                break;
            default:
                break;
            }
        }
        return 0;
    }

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
