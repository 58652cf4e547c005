#include "CWindowPlacementSettings.h"

namespace Keys = SettingsKeys;
namespace Defaults = SettingsDefaults;

bool CWindowPlacementSettings::Load(ISettingsStore& store) {
    m_nX = store.GetProfileInt(Keys::kSectionPosition, Keys::kPositionX, Defaults::kPositionX);
    m_nY = store.GetProfileInt(Keys::kSectionPosition, Keys::kPositionY, Defaults::kPositionY);
    m_nWidth =
        store.GetProfileInt(Keys::kSectionPosition, Keys::kPositionWidth, Defaults::kPositionWidth);
    m_nHeight = store.GetProfileInt(Keys::kSectionPosition, Keys::kPositionHeight,
                                    Defaults::kPositionHeight);
    m_nCmdShow = store.GetProfileInt(Keys::kSectionPosition, Keys::kPositionCmdShow,
                                     Defaults::kPositionCmdShow);
    m_nFlags =
        store.GetProfileInt(Keys::kSectionPosition, Keys::kPositionFlags, Defaults::kPositionFlags);
    return true;
}

bool CWindowPlacementSettings::Save(ISettingsStore& store) const {
    bool bAll = store.WriteProfileInt(Keys::kSectionPosition, Keys::kPositionX, m_nX);
    bAll = store.WriteProfileInt(Keys::kSectionPosition, Keys::kPositionY, m_nY) && bAll;
    bAll = store.WriteProfileInt(Keys::kSectionPosition, Keys::kPositionWidth, m_nWidth) && bAll;
    bAll = store.WriteProfileInt(Keys::kSectionPosition, Keys::kPositionHeight, m_nHeight) && bAll;
    bAll =
        store.WriteProfileInt(Keys::kSectionPosition, Keys::kPositionCmdShow, m_nCmdShow) && bAll;
    bAll = store.WriteProfileInt(Keys::kSectionPosition, Keys::kPositionFlags, m_nFlags) && bAll;
    return bAll;
}
