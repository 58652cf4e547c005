#include "FakeRemotePlayerLink.h"

#include "platform/remote/RemoteMessages.h"

namespace Msg = RemoteMessages;

RemoteWindow FakeRemotePlayerLink::AddWindow(const std::string& className,
                                             const std::string& caption) {
    std::lock_guard lock(m_mutex);
    return AddWindowLocked(className, caption);
}

RemoteWindow FakeRemotePlayerLink::AddWindowLocked(const std::string& className,
                                                   const std::string& caption) {
    const RemoteWindow window = m_nextWindow++;
    m_windows[window] = Window{className, caption};
    return window;
}

void FakeRemotePlayerLink::RemoveWindow(RemoteWindow hWindow) {
    std::lock_guard lock(m_mutex);
    m_windows.erase(hWindow);
}

void FakeRemotePlayerLink::SetVersion(std::int64_t nVersion) {
    std::lock_guard lock(m_mutex);
    m_nVersion = nVersion;
}

void FakeRemotePlayerLink::SetPlayState(std::int64_t nState) {
    std::lock_guard lock(m_mutex);
    m_nPlayState = nState;
}

void FakeRemotePlayerLink::SetPositionMs(std::int64_t nPositionMs) {
    std::lock_guard lock(m_mutex);
    m_nPositionMs = nPositionMs;
}

void FakeRemotePlayerLink::SetLengthSeconds(std::int64_t nLengthSeconds) {
    std::lock_guard lock(m_mutex);
    m_nLengthSeconds = nLengthSeconds;
}

void FakeRemotePlayerLink::SetCaption(RemoteWindow hWindow, const std::string& caption) {
    std::lock_guard lock(m_mutex);
    if (const auto it = m_windows.find(hWindow); it != m_windows.end()) {
        it->second.caption = caption;
    }
}

void FakeRemotePlayerLink::ScriptStart(std::int64_t nResult, const std::string& className,
                                       int nLooks) {
    std::lock_guard lock(m_mutex);
    m_nStartResult = nResult;
    m_strStartClass = className;
    m_nStartLooks = nLooks;
}

std::vector<FakeRemotePlayerLink::Message> FakeRemotePlayerLink::Messages() const {
    std::lock_guard lock(m_mutex);
    return m_messages;
}

void FakeRemotePlayerLink::ClearMessages() {
    std::lock_guard lock(m_mutex);
    m_messages.clear();
}

int FakeRemotePlayerLink::EnumCount() const {
    std::lock_guard lock(m_mutex);
    return m_nEnumCount;
}

std::vector<std::string> FakeRemotePlayerLink::StartedPrograms() const {
    std::lock_guard lock(m_mutex);
    return m_startedPrograms;
}

std::int64_t FakeRemotePlayerLink::PlayState() const {
    std::lock_guard lock(m_mutex);
    return m_nPlayState;
}

std::string FakeRemotePlayerLink::FileSent() const {
    std::lock_guard lock(m_mutex);
    return m_strFileSent;
}

RemoteWindow FakeRemotePlayerLink::FindWindow(const std::string& className) {
    std::lock_guard lock(m_mutex);
    // A started program shows its window after the scripted number of looks for it.
    if (!m_startedPrograms.empty() && m_nStartLooks >= 0 && className == m_strStartClass) {
        if (m_nStartLooks-- == 0) {
            AddWindowLocked(m_strStartClass, {});
        }
    }
    for (const auto& [window, record] : m_windows) {
        if (record.className == className) {
            return window;
        }
    }
    return 0;
}

std::vector<RemoteWindow> FakeRemotePlayerLink::EnumWindows() {
    std::lock_guard lock(m_mutex);
    ++m_nEnumCount;
    std::vector<RemoteWindow> windows;
    for (const auto& entry : m_windows) {
        windows.push_back(entry.first);
    }
    return windows;
}

std::string FakeRemotePlayerLink::GetClassName(RemoteWindow hWindow) {
    std::lock_guard lock(m_mutex);
    const auto it = m_windows.find(hWindow);
    return it == m_windows.end() ? std::string() : it->second.className;
}

std::string FakeRemotePlayerLink::GetWindowText(RemoteWindow hWindow, std::size_t nMaxChars) {
    std::lock_guard lock(m_mutex);
    const auto it = m_windows.find(hWindow);
    return it == m_windows.end() ? std::string() : it->second.caption.substr(0, nMaxChars);
}

std::int64_t FakeRemotePlayerLink::SendMessage(RemoteWindow hWindow, std::uint32_t nMessage,
                                               std::int64_t wParam, std::int64_t lParam) {
    std::lock_guard lock(m_mutex);
    m_messages.push_back(Message{hWindow, nMessage, wParam, lParam, false, {}});
    return Answer(hWindow, nMessage, wParam, lParam);
}

bool FakeRemotePlayerLink::PostMessage(RemoteWindow hWindow, std::uint32_t nMessage,
                                       std::int64_t wParam, std::int64_t lParam) {
    std::lock_guard lock(m_mutex);
    m_messages.push_back(Message{hWindow, nMessage, wParam, lParam, true, {}});
    if (m_windows.count(hWindow) == 0) {
        return false;
    }
    Answer(hWindow, nMessage, wParam, lParam);
    return true;
}

std::int64_t FakeRemotePlayerLink::SendCopyData(RemoteWindow hWindow, std::uint64_t nDataType,
                                                std::span<const char> data) {
    std::lock_guard lock(m_mutex);
    m_messages.push_back(Message{hWindow, Msg::kWmCopyData, static_cast<std::int64_t>(nDataType), 0,
                                 false, std::string(data.begin(), data.end())});
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

std::int64_t FakeRemotePlayerLink::StartProgram(const std::string& path) {
    std::lock_guard lock(m_mutex);
    m_startedPrograms.push_back(path);
    return m_nStartResult;
}

std::int64_t FakeRemotePlayerLink::Answer(RemoteWindow hWindow, std::uint32_t nMessage,
                                          std::int64_t wParam, std::int64_t lParam) {
    if (m_windows.count(hWindow) == 0) {
        return 0;
    }
    if (nMessage == Msg::kWmClose) {
        m_windows.clear();
        m_nPlayState = Msg::kIsPlayingStopped;
        return 0;
    }
    if (nMessage == Msg::kWmCommand) {
        if (wParam == Msg::kButtonStop || wParam == Msg::kButtonFadeOutStop) {
            m_nPlayState = Msg::kIsPlayingStopped;
        } else if (wParam == Msg::kButtonPause && m_nPlayState != Msg::kIsPlayingStopped) {
            m_nPlayState = m_nPlayState == Msg::kIsPlayingPaused ? Msg::kIsPlayingPlaying
                                                                 : Msg::kIsPlayingPaused;
        } else if (wParam == Msg::kButtonNext) {
            m_nPlayState = Msg::kIsPlayingPlaying;
        }
        return 0;
    }
    if (nMessage != Msg::kWmUser) {
        return 0;
    }
    switch (lParam) {
    case Msg::kIpcGetVersion:
        return m_nVersion;
    case Msg::kIpcPlayFile:
        if (wParam == 0) {
            m_strFileSent = m_strBytes;
            m_strBytes.clear();
        } else {
            m_strBytes.push_back(static_cast<char>(wParam));
        }
        return 0;
    case Msg::kIpcDelete:
        m_strBytes.clear();
        return 0;
    case Msg::kIpcStartPlay:
        m_nPlayState = Msg::kIsPlayingPlaying;
        return 0;
    case Msg::kIpcIsPlaying:
        return m_nPlayState;
    case Msg::kIpcGetOutputTime:
        return wParam == 1 ? m_nLengthSeconds : m_nPositionMs;
    case Msg::kIpcJumpToTime:
        m_nPositionMs = wParam;
        return 0;
    default:
        return 0;
    }
}
