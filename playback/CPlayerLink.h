#pragma once

#include "catalogue/IPlayerLink.h"

class CPlayer;
class CPlayLog;

// The active player as the documents drive it; song starts go through the play log.
class CPlayerLink final : public IPlayerLink {
public:
    CPlayerLink(CPlayer& player, CPlayLog& log);

    bool IsConnected() override;
    bool Connect() override;
    bool PlayLogged(const std::string& path) override;
    bool IsActive() override;
    bool Stop() override;
    bool FadeStop() override;
    bool Skip() override;

private:
    CPlayer& m_player;
    CPlayLog& m_log;
};
