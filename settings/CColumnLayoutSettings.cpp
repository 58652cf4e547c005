#include "CColumnLayoutSettings.h"

#include "SettingsKeys.h"

#include <algorithm>

namespace Keys = SettingsKeys;
namespace Defaults = SettingsDefaults;

bool CColumnLayoutSettings::Load(int nColumns, ISettingsStore& store) {
    const auto count = static_cast<std::size_t>(std::max(nColumns, 0));
    m_anOrder.assign(count, Defaults::kColumnNotStored);
    m_anSize.assign(count, Defaults::kColumnNotStored);
    for (std::size_t i = 0; i < count; ++i) {
        const int index = static_cast<int>(i);
        m_anOrder[i] = std::max(Defaults::kColumnNotStored,
                                store.GetProfileInt(Keys::kSectionPlaylistView,
                                                    Keys::Indexed(Keys::kColumnOrder, index),
                                                    Defaults::kColumnNotStored));
        m_anSize[i] = std::max(Defaults::kColumnNotStored,
                               store.GetProfileInt(Keys::kSectionPlaylistView,
                                                   Keys::Indexed(Keys::kColumnSize, index),
                                                   Defaults::kColumnNotStored));
    }
    return true;
}

bool CColumnLayoutSettings::Save(ISettingsStore& store) const {
    bool bAll = true;
    for (std::size_t i = 0; i < m_anOrder.size(); ++i) {
        bAll = store.WriteProfileInt(Keys::kSectionPlaylistView,
                                     Keys::Indexed(Keys::kColumnOrder, static_cast<int>(i)),
                                     m_anOrder[i]) &&
               bAll;
    }
    for (std::size_t i = 0; i < m_anSize.size(); ++i) {
        bAll = store.WriteProfileInt(Keys::kSectionPlaylistView,
                                     Keys::Indexed(Keys::kColumnSize, static_cast<int>(i)),
                                     m_anSize[i]) &&
               bAll;
    }
    return bAll;
}

int CColumnLayoutSettings::GetColumnAt(int position) const {
    if (position < 0 || static_cast<std::size_t>(position) >= m_anOrder.size()) {
        return position;
    }
    const std::int32_t column = m_anOrder[static_cast<std::size_t>(position)];
    const bool bValid = column >= 0 && static_cast<std::size_t>(column) < m_anOrder.size();
    return bValid ? column : position;
}

std::int32_t CColumnLayoutSettings::GetSize(int column) const {
    if (column < 0 || static_cast<std::size_t>(column) >= m_anSize.size()) {
        return Defaults::kColumnNotStored;
    }
    return m_anSize[static_cast<std::size_t>(column)];
}
