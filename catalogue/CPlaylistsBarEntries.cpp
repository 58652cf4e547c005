#include "CPlaylistsBarEntries.h"

#include <cstdio>

std::string CPlaylistsBarEntries::NameFor(const std::string& title) {
    static constexpr std::string_view kExtension = ".qmx";
    const std::size_t at = title.find(kExtension);
    if (at != std::string::npos && at + kExtension.size() == title.size()) {
        return title.substr(0, at);
    }
    return title;
}

int CPlaylistsBarEntries::ImageIndex(std::uint32_t state) {
    const bool looping = (state & kLooping) != 0;
    const bool alarm = (state & kAlarm) != 0;
    const int base = (state & kLocked) != 0 ? 4 : 0;
    if (looping && alarm) {
        return base + 3;
    }
    if (alarm) {
        return base + 2;
    }
    return base + (looping ? 0 : 1);
}

std::string CPlaylistsBarEntries::TooltipText(const std::string& name, double totalBytes,
                                              std::uint32_t totalSeconds, long songs) {
    char text[160];
    std::snprintf(text, sizeof text, "\n\nSize: %.1f Mb\nDuration: %.2u:%.2u:%.2u\nSongs: %ld",
                  totalBytes / 1048576.0, totalSeconds / 3600, totalSeconds / 60 % 60,
                  totalSeconds % 60, songs);
    return name + text;
}

int CPlaylistsBarEntries::AddEntry(const void* view, const void* document, const std::string& title,
                                   bool locked) {
    int index = IndexOf(view);
    if (index < 0) {
        m_entries.push_back({view, document, NameFor(title), locked ? kLocked : kNormal});
        index = GetCount() - 1;
    }
    Select(index);
    return index;
}

bool CPlaylistsBarEntries::RemoveEntry(const void* view) {
    const int index = IndexOf(view);
    if (index < 0) {
        return false;
    }
    m_entries.erase(m_entries.begin() + index);
    if (m_nSelected == index) {
        m_nSelected = -1;
    } else if (m_nSelected > index) {
        --m_nSelected;
    }
    return true;
}

int CPlaylistsBarEntries::IndexOf(const void* view) const {
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].pView == view) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool CPlaylistsBarEntries::SetState(const void* view, State bit, bool on) {
    const int index = IndexOf(view);
    if (index < 0) {
        return false;
    }
    const void* document = m_entries[static_cast<std::size_t>(index)].pDocument;
    const bool perDocument = bit == kLooping || bit == kScheduled;
    for (Entry& entry : m_entries) {
        const bool mine = perDocument ? entry.pDocument == document : entry.pView == view;
        if (mine && on) {
            entry.nState |= bit;
        } else if (mine || (perDocument && on)) {
            entry.nState &= ~static_cast<std::uint32_t>(bit);
        }
    }
    return true;
}

const void* CPlaylistsBarEntries::FindLooping() const {
    for (const Entry& entry : m_entries) {
        if ((entry.nState & kLooping) != 0) {
            return entry.pView;
        }
    }
    return nullptr;
}

void CPlaylistsBarEntries::Select(int index) {
    m_nSelected = index >= 0 && index < GetCount() ? index : -1;
}

void CPlaylistsBarEntries::SelectActive(int index) {
    Select(index);
    m_nLastActivated = m_nSelected;
    m_nTickIndex = m_nSelected;
    m_pTickView =
        m_nSelected >= 0 ? m_entries[static_cast<std::size_t>(m_nSelected)].pView : nullptr;
}

int CPlaylistsBarEntries::NextIndex(bool forward) const {
    const int count = GetCount();
    if (count == 0) {
        return -1;
    }
    if (m_nSelected < 0) {
        return forward ? 0 : count - 1;
    }
    return (m_nSelected + (forward ? 1 : count - 1)) % count;
}

const void* CPlaylistsBarEntries::Activate() {
    if (m_nSelected < 0 || m_nSelected == m_nLastActivated) {
        return nullptr;
    }
    m_nLastActivated = m_nSelected;
    return m_entries[static_cast<std::size_t>(m_nSelected)].pView;
}

const void* CPlaylistsBarEntries::Tick() {
    const void* view =
        m_nSelected >= 0 ? m_entries[static_cast<std::size_t>(m_nSelected)].pView : nullptr;
    if (m_nSelected == m_nTickIndex && view == m_pTickView) {
        return nullptr;
    }
    m_nTickIndex = m_nSelected;
    m_pTickView = view;
    return Activate();
}

int CPlaylistsBarEntries::DropTarget(int itemUnderPoint, int pointY, int firstVisible,
                                     int firstVisibleTop) const {
    if (itemUnderPoint >= 0 && itemUnderPoint < GetCount()) {
        return itemUnderPoint;
    }
    if (firstVisible >= 0 && firstVisible < GetCount() && pointY <= firstVisibleTop + 5) {
        return firstVisible;
    }
    return -1;
}
