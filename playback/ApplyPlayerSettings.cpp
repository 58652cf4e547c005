#include "ApplyPlayerSettings.h"

#include "CPlayer.h"
#include "settings/CSettings.h"

void ApplyPlayerSettings(CPlayer& player, const CSettings& settings) {
    player.SetMixEnabled(settings.m_bUseMixer == 1);
    player.SetMixSeconds(settings.m_nMixSeconds);
    player.SetMixSpeed(settings.m_nMixSpeed);
    player.SetMixType(settings.m_nMixType);
    player.SetFitFades(settings.m_bFitFades == 1);
}
