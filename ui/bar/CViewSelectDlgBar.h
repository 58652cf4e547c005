#pragma once

#include "catalogue/CPlaylistsBarEntries.h"

#include <QDockWidget>
#include <functional>
#include <string>
#include <vector>

class CViewSelectListCtrl;
class QFont;
class QMimeData;
class QPoint;
class QTimer;

// The "Playlists" bar: a dock listing every open playlist with an icon for its state
// (looping, alarm, locked), its name, and a summary tooltip. Selecting an entry activates
// its playlist's window (at once on a click, otherwise at the next 350 ms tick); playlist
// files and songs dropped on an entry go to that playlist. Entries are keyed by their
// view; the decisions are CPlaylistsBarEntries'.
class CViewSelectDlgBar final : public QDockWidget {
    Q_OBJECT
public:
    struct Callbacks {
        // Makes the view's window the active one.
        std::function<void(const void* view)> activate;
        // The tooltip text of a view's playlist.
        std::function<QString(const void* view)> tooltip;
        // Song data dropped on an entry (the drag format of the song clipboard).
        std::function<void(const void* view)> songsDropped;
        // Files dropped on an entry.
        std::function<void(const void* view, const std::vector<std::string>& paths)> filesDropped;
        // Delete on an entry: close its window.
        std::function<void(const void* view)> closeRequested;
        // A right click: the playlists' menu at a global point, for the entry under the
        // pointer (selected and activated first; null: none there).
        std::function<void(const void* view, const QPoint& global)> contextMenu;
        // Tab in the list: the bar gives the focus back to the active playlist.
        std::function<void()> leaveBar;
    };

    explicit CViewSelectDlgBar(Callbacks callbacks, QWidget* parent = nullptr);

    int AddEntry(const void* view, const void* document, const std::string& title, bool locked);
    bool RemoveEntry(const void* view);
    bool SelectEntry(const void* view);
    bool SetState(const void* view, CPlaylistsBarEntries::State bit, bool on);
    const void* FindLooping() const { return m_entries.FindLooping(); }
    void RefreshNames(const std::function<std::string(const void*)>& titleOf);
    // Ctrl+Alt+Tab and Ctrl+Alt+Shift+Tab.
    void SelectNext(bool forward);
    // "listofplaylistsicon": 0 small icons in a column, 1 big icons, 2 a list of small ones.
    void SetIconStyle(int style);
    int GetIconStyle() const { return m_nIconStyle; }
    // The playlist font ("listviewfontname", "listviewfontsize").
    void SetListFont(const QFont& font);
    void FocusList();

    const CPlaylistsBarEntries& Entries() const { return m_entries; }
    CViewSelectListCtrl* GetList() const { return m_pList; }
    // The activation tick, for tests with their own clock.
    void Tick();

private:
    friend class CViewSelectListCtrl;
    void RefreshItem(int index);
    // Big icons: a grid cell wide enough for the longest name on one line.
    void FitGrid();
    void ShowMenuAt(const QPoint& point);
    void OnSelectionChanged();
    void Activate();
    void DropOn(int index, const QMimeData& mime);

    Callbacks m_callbacks;
    CPlaylistsBarEntries m_entries;
    CViewSelectListCtrl* m_pList = nullptr;
    QTimer* m_pTimer = nullptr;
    bool m_bUpdating = false;
    int m_nIconStyle = 0;
};
