#include "CWinampPlayer.h"

#include "CSystemSleeper.h"
#include "platform/remote/RemoteMessages.h"
#include "settings/CSettings.h"

#include <algorithm>
#include <new>
#include <string_view>
#include <utility>

namespace Msg = RemoteMessages;

namespace {

std::string_view TrimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

} // namespace

CWinampPlayer::CWinampPlayer(std::shared_ptr<IRemotePlayerLink> pLink, Environment environment)
    : m_pLink(std::move(pLink)), m_environment(std::move(environment)) {
    if (!m_environment.pSleeper) {
        m_environment.pSleeper = std::make_shared<CSystemSleeper>();
    }
    if (!m_environment.now) {
        m_environment.now = [] { return std::chrono::steady_clock::now(); };
    }
}

CWinampPlayer::~CWinampPlayer() = default;

// ---- state -----------------------------------------------------------------------------

RemoteWindow CWinampPlayer::GetWindow() const {
    std::lock_guard lock(m_stateMutex);
    return m_hWinamp;
}

void CWinampPlayer::SetWindow(RemoteWindow hWindow) {
    std::lock_guard lock(m_stateMutex);
    m_hWinamp = hWindow;
}

std::int32_t CWinampPlayer::GetStoredVersion() const {
    std::lock_guard lock(m_stateMutex);
    return m_nVersion;
}

void CWinampPlayer::SetStoredVersion(std::int32_t nVersion) {
    std::lock_guard lock(m_stateMutex);
    m_nVersion = nVersion;
}

std::int32_t CWinampPlayer::GetIndex() const {
    std::lock_guard lock(m_stateMutex);
    return m_nIndex;
}

std::string CWinampPlayer::GetLastTitle() const {
    std::lock_guard lock(m_stateMutex);
    return m_strTitle;
}

std::chrono::steady_clock::time_point CWinampPlayer::Now() const {
    return m_environment.now();
}

void CWinampPlayer::Sleep(std::chrono::milliseconds duration) {
    m_environment.pSleeper->Sleep(duration);
}

// ---- messages --------------------------------------------------------------------------

std::int64_t CWinampPlayer::SendIpc(std::int64_t nCode, std::int64_t nParam) {
    return m_pLink->SendMessage(GetWindow(), Msg::kWmUser, nParam, nCode);
}

std::int64_t CWinampPlayer::SendButton(std::int64_t nButton) {
    return m_pLink->SendMessage(GetWindow(), Msg::kWmCommand, nButton, 0);
}

bool CWinampPlayer::PostButton(std::int64_t nButton) {
    return m_pLink->PostMessage(GetWindow(), Msg::kWmCommand, nButton, 0);
}

// ---- transport -------------------------------------------------------------------------

bool CWinampPlayer::Stop(std::int32_t) {
    SendButton(Msg::kButtonStop);
    return true;
}

bool CWinampPlayer::FadeStop(std::int32_t) {
    PostButton(Msg::kButtonFadeOutStop);
    return true;
}

bool CWinampPlayer::FadeStopWait(std::int32_t) {
    SendButton(Msg::kButtonFadeOutStop);
    return true;
}

bool CWinampPlayer::PauseResume(std::int32_t) {
    PostButton(Msg::kButtonPause);
    return true;
}

bool CWinampPlayer::Skip() {
    return Stop();
}

bool CWinampPlayer::FadeSkip() {
    return FadeStop();
}

bool CWinampPlayer::VolumeDown(std::int32_t) {
    SendButton(Msg::kButtonVolumeDown);
    return true;
}

bool CWinampPlayer::VolumeUp(std::int32_t) {
    SendButton(Msg::kButtonVolumeUp);
    return true;
}

bool CWinampPlayer::SetVolume(std::int32_t, std::int32_t nLevel) {
    SendIpc(Msg::kIpcSetVolume, std::clamp(nLevel, 0, 255));
    return true;
}

bool CWinampPlayer::PlayFrom(std::int32_t nSeconds, std::int32_t) {
    m_pLink->PostMessage(GetWindow(), Msg::kWmUser, static_cast<std::int64_t>(nSeconds) * 1000,
                         Msg::kIpcJumpToTime);
    return true;
}

bool CWinampPlayer::Enqueue(const std::string& path) {
    const RemoteWindow window = GetWindow();
    m_pLink->PostMessage(window, Msg::kWmUser, 0, Msg::kIpcDelete);
    // One byte per message (as an unsigned value, so UTF-8 paths arrive whole), then 0.
    for (const char c : path) {
        m_pLink->SendMessage(window, Msg::kWmUser, static_cast<unsigned char>(c),
                             Msg::kIpcPlayFile);
    }
    m_pLink->SendMessage(window, Msg::kWmUser, 0, Msg::kIpcPlayFile);
    return true;
}

bool CWinampPlayer::Play(const std::string& path, std::int32_t) {
    const RemoteWindow window = GetWindow();
    // Without a player nothing can be started; answering true would mark the song as
    // played and let a loop race through its list.
    if (window == 0) {
        return false;
    }
    SendIpc(Msg::kIpcDelete);
    {
        const std::size_t slash = path.find_last_of('/');
        std::lock_guard lock(m_stateMutex);
        m_strTitle = slash == std::string::npos ? path : path.substr(slash + 1);
    }
    // The path with its terminating zero.
    std::vector<char> buffer;
    try {
        buffer.assign(path.size() + 1, '\0');
    } catch (const std::bad_alloc&) {
        return false;
    }
    std::copy(path.begin(), path.end(), buffer.begin());
    m_pLink->SendCopyData(window, static_cast<std::uint64_t>(Msg::kIpcPlayFile), buffer);
    if (GetStoredVersion() < Msg::kVersionNewClass) {
        SendIpc(Msg::kIpcStartPlay);
    } else {
        SendButton(Msg::kButtonNext);
    }
    return true;
}

// ---- state queries ---------------------------------------------------------------------

bool CWinampPlayer::GetVersion(std::int32_t& nVersion) {
    nVersion = static_cast<std::int32_t>(SendIpc(Msg::kIpcGetVersion, 0));
    return nVersion != 0;
}

bool CWinampPlayer::IsAvailable(std::int32_t) {
    std::int32_t version = 0;
    return GetVersion(version);
}

std::int32_t CWinampPlayer::GetMode(bool, std::int32_t) {
    return static_cast<std::int32_t>(SendIpc(Msg::kIpcIsPlaying));
}

bool CWinampPlayer::IsActive(bool, std::int32_t) {
    const std::int32_t mode = GetMode(true);
    return mode == kModePlaying || mode == kModePaused;
}

bool CWinampPlayer::GetLength(std::int32_t& nSeconds, std::int32_t) {
    nSeconds = static_cast<std::int32_t>(SendIpc(Msg::kIpcGetOutputTime, 1));
    return true;
}

bool CWinampPlayer::GetPosition(std::int32_t& nSeconds, std::int32_t) {
    nSeconds = static_cast<std::int32_t>(SendIpc(Msg::kIpcGetOutputTime, 0) / 1000);
    return true;
}

bool CWinampPlayer::GetTitle(std::string& title) {
    // The newer class of player answers the title's address inside its own process,
    // which no other process can read; its caption serves as for the older versions.
    title = m_pLink->GetWindowText(GetWindow(), kMaxCaptionChars);
    return true;
}

bool CWinampPlayer::GetStatusText(std::string& text) {
    return ComposeStatusText(text);
}

bool CWinampPlayer::IsConnected(std::int32_t) {
    const RemoteWindow window = GetWindow();
    if (window != 0 && SendIpc(Msg::kIpcGetVersion, 0) == 0) {
        std::lock_guard lock(m_stateMutex);
        if (m_hWinamp == window) {
            m_hWinamp = 0;
        }
    }
    return GetWindow() != 0;
}

// ---- connecting and releasing ------------------------------------------------------------

bool CWinampPlayer::Connect(std::int32_t nIndex, bool bStart) {
    {
        std::lock_guard lock(m_stateMutex);
        m_nIndex = nIndex;
    }
    if (GetWindow() != 0 && SendIpc(Msg::kIpcGetVersion, 0) >= Msg::kVersionTrusted) {
        return true;
    }
    const bool bNewRoot = m_pLink->FindWindow(std::string(Msg::kClassNewRoot)) != 0;
    if (bNewRoot) {
        SetStoredVersion(Msg::kVersionNewClass);
    }
    if (!bNewRoot && m_pLink->FindWindow(std::string(Msg::kClassIpcWindow)) == 0 && nIndex == -1) {
        if (!bStart || !StartAndWait()) {
            return false;
        }
    }
    return TakeFirstCandidate();
}

bool CWinampPlayer::StartAndWait() {
    CSettings settings;
    settings.Load();
    if (settings.m_strWinampPath.empty() || settings.m_bStartWinamp != 1) {
        return false;
    }
    if (m_pLink->StartProgram(settings.m_strWinampPath) <= IRemotePlayerLink::kStartFailedLimit) {
        return false;
    }
    const auto start = Now();
    Sleep(kStartPoll);
    while (m_pLink->FindWindow(std::string(Msg::kClassIpcWindow)) == 0) {
        if (m_pLink->FindWindow(std::string(Msg::kClassNewRoot)) != 0) {
            SetStoredVersion(Msg::kVersionNewClass);
            break;
        }
        if (Now() - start >= kStartWait) {
            break;
        }
        Sleep(kStartPoll);
    }
    return true;
}

bool CWinampPlayer::TakeFirstCandidate() {
    std::vector<RemoteWindow> candidates;
    for (const RemoteWindow window : m_pLink->EnumWindows()) {
        const std::string className = m_pLink->GetClassName(window);
        if (TrimBlanks(className).find(Msg::kClassIpcWindow) != std::string_view::npos) {
            candidates.push_back(window);
        }
    }
    const RemoteWindow first = candidates.empty() ? 0 : candidates.front();
    {
        std::lock_guard lock(m_stateMutex);
        m_candidates = std::move(candidates);
        m_hWinamp = first;
    }
    if (first == 0) {
        return false;
    }
    std::int32_t version = 0;
    GetVersion(version);
    SetStoredVersion(version);
    return true;
}

std::int32_t CWinampPlayer::Release() {
    CSettings settings;
    settings.Load();
    if (settings.m_bCloseWinamp == 1) {
        RemoteWindow window = GetWindow();
        if (window == 0) {
            window = m_pLink->FindWindow(std::string(Msg::kClassIpcWindow));
        }
        if (window == 0) {
            window = m_pLink->FindWindow(std::string(Msg::kClassNewRoot));
        }
        if (window != 0) {
            m_pLink->PostMessage(window, Msg::kWmClose, 0, 0);
        }
    }
    return DecRef();
}
