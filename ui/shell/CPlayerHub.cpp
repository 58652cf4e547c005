#include "ui/shell/CPlayerHub.h"

#include "platform/mpris/CMprisRemoteLink.h"
#include "playback/CMCIPlayer.h"
#include "playback/CPlayListThreadFactory.h"
#include "playback/CPlayLog.h"
#include "playback/CPlayerLink.h"
#include "playback/CSystemLoopClock.h"
#include "playback/CWinampPlayer.h"

CPlayerHub::CPlayerHub(bool useWinamp, CSharedSettings& settings) {
    if (useWinamp) {
        m_pPlayer = std::make_unique<CWinampPlayer>(std::make_shared<CMprisRemoteLink>());
    } else {
        m_pPlayer = std::make_unique<CMCIPlayer>();
    }
    ILoopClock& clock = CSystemLoopClock::Shared();
    m_pLog = std::make_unique<CPlayLog>(*m_pPlayer, clock, &settings);
    m_pLink = std::make_unique<CPlayerLink>(*m_pPlayer, *m_pLog);
    m_pFactory = std::make_unique<CPlayListThreadFactory>(clock, &settings);
}

CPlayerHub::~CPlayerHub() = default;

IPlayerLink& CPlayerHub::GetLink() {
    return *m_pLink;
}

ILoopRunnerFactory& CPlayerHub::GetLoopFactory() {
    return *m_pFactory;
}
