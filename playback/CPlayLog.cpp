#include "CPlayLog.h"

#include "CPlayer.h"

#include "settings/CSharedSettings.h"

#include <cstdio>

CPlayLog::CPlayLog(CPlayer& player, ILoopClock& clock, const CSharedSettings* settings)
    : m_player(player), m_clock(clock), m_pSettings(settings) {}

void CPlayLog::SetFixedPath(const std::string& path) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_strFixedPath = path;
}

// Only a song that really started gets its line.
bool CPlayLog::LogAndPlay(const std::string& path) {
    if (!m_player.Play(path)) {
        return false;
    }
    Write("%s -> %s\n", path);
    return true;
}

void CPlayLog::LogProgramStarted() {
    Write("\n%s -> PROGRAM STARTED\n", {});
}

void CPlayLog::LogProgramEnded() {
    Write("%s -> PROGRAM ENDED\n", {});
}

std::string CPlayLog::LogPath() const {
    if (!m_strFixedPath.empty()) {
        return m_strFixedPath;
    }
    if (m_pSettings == nullptr) {
        return {};
    }
    const CSettings settings = m_pSettings->Get();
    return settings.m_bKeepOnairixLog == 1 ? settings.m_strLogPath : std::string();
}

// format holds the date's %s and, for a song, the path's %s.
void CPlayLog::Write(const std::string& format, const std::string& text) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const std::string path = LogPath();
    if (path.empty()) {
        return;
    }
    std::FILE* file = std::fopen(path.c_str(), "a");
    if (file == nullptr) {
        return;
    }
    const std::string when = m_clock.LocalNow().Format("%Y-%m-%d %H:%M:%S");
    std::fprintf(file, format.c_str(), when.c_str(), text.c_str());
    std::fclose(file);
}
