#pragma once

#include "catalogue/IUserPrompt.h"
#include "ui/playlist/CPlaylistViewRules.h"

#include <QTableView>
#include <functional>
#include <map>
#include <string>
#include <vector>

class CMainFrame;
class CMixorel2001Doc;
class COpenPlaylist;
class CPlayer;
class CPlaylistModel;
class IShellPrompt;
class QAction;
class QMenu;

// The list of one playlist window: the transport commands (play, loop, next, set as
// next...), the list-editing commands, double click, heading sorts, type-ahead and the
// drags between lists and from and to file managers. The document holds the list; the
// view keeps only the table's own state.
class CMixorel2001View final : public QTableView {
    Q_OBJECT
public:
    // The commands by their identifiers.
    enum Command : int {
        kPlay = 323,
        kStop = 324,
        kPause = 325,
        kNext = 326,
        kFadeStop = 327,
        kFadeNext = 328,
        kLoop = 329,
        kViewNext = 134,
        kLoopStop = 342,
        kSetNext = 373,
        kSetLast = 32890,
        kSongTimer = 345,
        kLock = 32926,
        kSeek = 367,
        kRemovePlayed = 238,
        kMoveUp = 1001,
        kMoveDown,
        kMoveToTop,
        kMoveToBottom,
        kFastMoveDown,
        kFastMoveUp,
        kDelete,
        kDeleteFile,
        kCopyFile,
        kCut,
        kCopy,
        kPaste,
        kCopyForExplorer,
        kAddLocation,
        kEditLocation,
        kSelectAll,
        kFindDialog,
        kAddRegion = 382,
        kEditRegion = 383,
    };
    static constexpr const char* kLockedText = "List locked. Operation unavailable.";
    static constexpr const char* kNoLoopingListText =
        "There is no looping list to copy the song(s) to.";
    static constexpr const char* kSetNextText = "Specified song(s) will be played next...";
    static constexpr const char* kSetLastText =
        "Copied the song(s) to the end of the looping list.";
    static constexpr int kTooltipKeepMs = 6000;
    static constexpr int kTooltipMaxWidth = 600;
    static constexpr const char* kRemoveQuestion =
        "Are you sure you want to remove selected items(s)?";

    CMixorel2001View(CMainFrame& main, COpenPlaylist& playlist, CPlaylistModel* model,
                     QWidget* parent);

    CMixorel2001Doc& GetDoc();
    // The current line, -1 when nothing is selected.
    int GetSelectionMark() const;
    std::vector<std::string> GetSelectedIds() const;
    int GetSelectedCount() const;
    // The menu text of a command with its key after a tab; empty for an unknown one.
    static const char* CommandMenuText(int command);
    // The commands that have a key, in menu order.
    static std::vector<int> KeyedCommands();
    // Runs a command as its menu item or key does (nothing when it is disabled).
    void RunCommand(int command);
    // A transport command (play, next, fade, loop, set as next or last...) on songs
    // chosen in another window of this playlist (the Media Walker): as RunCommand with
    // the song markId at the selection mark and the songs ids selected. Nothing for any
    // other command.
    void RunCommandOn(int command, const std::string& markId, const std::vector<std::string>& ids);
    bool IsCommandEnabled(int command);
    // The list's own item of a command (context menu, the window's bar); null when none.
    QAction* GetAction(int command) const;
    // The items of these commands (all: the whole menu) enabled as the list now stands.
    void RefreshEnabling();
    void RefreshEnabling(const std::vector<int>& commands);
    // The clipboard's songs into this list (position codes of CPlaylistViewRules). With
    // removeSelection the insert becomes a move: refused in a locked list before anything
    // changes. With drag the songs come from the drag format, and the running drag learns
    // which of them went in.
    bool InsertFromClipboard(int code, IUserPrompt::DuplicateAnswer answer, bool useSelection,
                             bool selectInserted, bool removeSelection, bool drag = false);
    void SelectLine(int line);
    void SelectLines(const std::vector<std::string>& ids);
    // Type-ahead with the typed text; the line found is selected.
    int TypeAhead(const std::string& text);
    // A drop of songs from a list (this one or another) before a target line.
    bool DropSongs(CMixorel2001View* source, int target, bool move);
    // Songs of the running drag went into a list: their places in the dragged block. A
    // drag that ends as a move removes those lines from its list, and only those.
    static void NoteDropTaken(const std::vector<std::size_t>& taken);
    // The end of a drag of these lines (in drag order) as a move: removes the lines the
    // drop target took, and keeps those it declined.
    void RemoveTakenAfterMove(const std::vector<std::string>& dragged);
    // A drop of files from a file manager before a target line.
    bool DropFiles(const std::vector<std::string>& paths, int target);
    // The first and last visible lines.
    std::pair<int, int> GetVisibleRange() const;
    QMenu* GetContextMenu() { return m_pMenu; }

Q_SIGNALS:
    // A double click on a region header, after its region dialog.
    void RegionDoubleClicked(int line);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void startDrag(Qt::DropActions actions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // Song tooltips stay 6000 ms and wrap at 600 pixels (Qt shows them after its 700 ms
    // wake-up delay).
    bool viewportEvent(QEvent* event) override;

private:
    void BuildCommands();
    void AddCommand(int command, const char* text);
    bool IsCommandEnabled(int command, const CPlaylistViewRules::TransportFacts& facts, int mark);
    CPlaylistViewRules::TransportFacts GetFacts(int mark);
    static bool IsTransportCommand(int command);
    void RunTransportCommand(int command, int mark, const std::vector<std::string>& ids);
    CPlayer* GetPlayer();
    void RouteNext(int command);
    void LoopStop();
    void PutIntoLoopingList(bool next, int mark, const std::vector<std::string>& ids);
    bool RefuseWhenLocked();
    void DeleteSelection();
    void DeleteFile();
    void CopyFile();
    void FastMove(bool down);
    void SortByColumn(int column);
    void ShowLockDialog();
    void ShowSongTimer();
    void ShowFindDialog();
    void AddRegion();
    // The region dialog for the header of a line (nothing for a song line).
    void EditRegionAt(int line);

    CMainFrame& m_main;
    COpenPlaylist& m_playlist;
    CPlaylistModel* m_pModel;
    IShellPrompt& m_prompt;
    QMenu* m_pMenu = nullptr;
    std::map<int, QAction*> m_actions;
    std::string m_strTyped;
    qint64 m_nLastKeyMs = 0;
    int m_nSortColumn = -1;
    bool m_bSortAscending = true;
    int m_nShownSortColumn = -1;
    Qt::SortOrder m_shownSortOrder = Qt::AscendingOrder;
};
