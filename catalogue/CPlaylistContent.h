#pragma once

#include "CDateTime.h"
#include "CSong.h"

#include <string>
#include <vector>

// What a playlist file holds: its records from top to bottom (region header lines
// included), the alarm time (status null when none is set) and the lock flags. The
// player-commands-disabled flag only means something while the playlist is locked.
struct CPlaylistContent {
    // The signature as read; the one written is always CPlaylistFile::kSignature.
    std::string m_strSignature;
    std::vector<CSong> m_songs;
    CDateTime m_dtAlarm = CDateTime::Null();
    bool m_bLocked = false;
    bool m_bPlayerCommandsDisabled = false;
};
