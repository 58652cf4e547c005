#pragma once

#include <memory>

class CPlayer;
class CPlayLog;
class CPlayerLink;
class CPlayListThreadFactory;
class CSharedSettings;
class ILoopRunnerFactory;
class IPlayerLink;

// The players of the run: the active one, chosen once at start-up from "usewinamp" (the
// remote player over MPRIS, else the internal player through GStreamer), the play log
// every song start goes through, and the loop drivers' factory.
class CPlayerHub {
public:
    CPlayerHub(bool useWinamp, CSharedSettings& settings);
    ~CPlayerHub();
    CPlayerHub(const CPlayerHub&) = delete;
    CPlayerHub& operator=(const CPlayerHub&) = delete;

    CPlayer& GetPlayer() { return *m_pPlayer; }
    CPlayLog& GetLog() { return *m_pLog; }
    IPlayerLink& GetLink();
    ILoopRunnerFactory& GetLoopFactory();

private:
    std::unique_ptr<CPlayer> m_pPlayer;
    std::unique_ptr<CPlayLog> m_pLog;
    std::unique_ptr<CPlayerLink> m_pLink;
    std::unique_ptr<CPlayListThreadFactory> m_pFactory;
};
