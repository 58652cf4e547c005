#pragma once

#include "ILoopClock.h"

#include <mutex>
#include <string>

class CPlayer;
class CSharedSettings;

// The play log: one line per song start, "YYYY-MM-DD HH:MM:SS -> path", appended to the
// file of "logpath" while "keeponairixlog" is 1, plus a line when the program starts and
// ends. A fixed file (the headless player's --log) is written whatever the settings say.
// A file that cannot be opened is skipped silently. Lines are appended, so an existing
// log is never rewritten.
class CPlayLog {
public:
    CPlayLog(CPlayer& player, ILoopClock& clock, const CSharedSettings* settings);

    void SetFixedPath(const std::string& path);
    // Starts the song on the player and, when it started, writes its line; the player's
    // answer.
    bool LogAndPlay(const std::string& path);
    void LogProgramStarted();
    void LogProgramEnded();

private:
    void Write(const std::string& format, const std::string& text);
    std::string LogPath() const;

    CPlayer& m_player;
    ILoopClock& m_clock;
    const CSharedSettings* m_pSettings;
    std::mutex m_mutex;
    std::string m_strFixedPath;
};
