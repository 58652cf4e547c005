#include "CPlayerLink.h"

#include "CPlayLog.h"
#include "CPlayer.h"

CPlayerLink::CPlayerLink(CPlayer& player, CPlayLog& log) : m_player(player), m_log(log) {}

bool CPlayerLink::IsConnected() {
    return m_player.IsConnected();
}

bool CPlayerLink::Connect() {
    return m_player.Connect(-1, true);
}

bool CPlayerLink::PlayLogged(const std::string& path) {
    return m_log.LogAndPlay(path);
}

bool CPlayerLink::IsActive() {
    return m_player.IsActive(false);
}

bool CPlayerLink::Stop() {
    return m_player.Stop();
}

bool CPlayerLink::FadeStop() {
    return m_player.FadeStop();
}

bool CPlayerLink::Skip() {
    return m_player.Skip();
}
