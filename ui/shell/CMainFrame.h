#pragma once

#include "catalogue/CAlbumManager.h"
#include "catalogue/CLocationList.h"
#include "catalogue/IDocumentHost.h"
#include "catalogue/IExchangeUi.h"
#include "catalogue/IListCommandUi.h"
#include "catalogue/ILoopRunner.h"
#include "settings/CRecentPlaylistSettings.h"
#include "settings/CSettings.h"
#include "ui/shell/IAlbumCloseHost.h"

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CBroadcastController;
class CChildFrame;
class CLoudnessService;
class CMixorel2001Doc;
class CPlayer;
class CMediaWalkerWnd;
class CMprisServer;
struct CNowPlaying;
class CViewSelectDlgBar;
class CMusicImporter;
class COpenPlaylist;
class CPlayerHub;
class CQtImportUi;
class CFindPanel;
class CRegionsPanel;
class CSeekPanel;
class CSessionPrompt;
class CSharedSettings;
class ISettingsStore;
class IShellPrompt;
class ISongClipboard;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPrinter;
class QSystemTrayIcon;
class QTimer;

// The main window: the playlist windows in an MDI area, the menus of the file, album,
// import, list and region commands, the status panes, the tray icon, the album and the
// music locations. It asks and shows; the album-closing routine (CAlbumCloser), the
// framework's questions (COpenPlaylist) and the documents decide.
class CMainFrame final : public QMainWindow,
                         public IAlbumHost,
                         public IDocumentHost,
                         public IAlbumCloseHost,
                         public IListCommandUi,
                         public IExchangeUi,
                         public IShutdownRequest {
    Q_OBJECT
public:
    static constexpr const char* kAppTitle = "Mixorel";
    static constexpr const char* kQuitQuestion = "Are you sure you want to close the program?";
    static constexpr const char* kShutdownQuestion = "Are you sure you want to shut down your PC?";
    static constexpr const char* kBarStateSection = "qmx2001barstate";
    // File > Open: playlists, albums and the default album together first, then each.
    static constexpr const char* kOpenFilter =
        "Mixorel Files (*.qmx *.qma *.qms);;Mixorel Playlist Files (*.qmx);;"
        "Mixorel Album Files (*.qma *.qms)";
    static constexpr int kTrayTimerMs = 500;
    static constexpr int kIdleTimerMs = 1000;

    struct Services {
        CSessionPrompt* pPrompt = nullptr;
        ISettingsStore* pStore = nullptr;
        CSharedSettings* pSettings = nullptr;
        ISongClipboard* pClipboard = nullptr;
        // Powers the computer off; null: the request is ignored.
        IShutdownRequest* pPowerOff = nullptr;
        // The background song analysis; null: none (the analysis pane stays empty).
        CLoudnessService* pLoudness = nullptr;
    };

    explicit CMainFrame(const Services& services);
    ~CMainFrame() override;

    // The players exist from start-up step 11 on; playlists need them.
    void SetPlayers(CPlayerHub* players);
    CAlbumManager& GetAlbums() { return m_albums; }
    IShellPrompt& GetPrompt();
    CLocationList& GetLocations() { return m_locations; }

    // ---- Documents ----
    // "&New": an empty playlist in a window of its own; nullptr on failure.
    COpenPlaylist* NewPlaylist();
    // A file from the command line, the other instance or a drop: ".qma" and ".qms"
    // open as albums, anything else as a playlist.
    bool OpenFile(const std::string& path);
    COpenPlaylist* GetActivePlaylist();
    CChildFrame* FindFrame(const COpenPlaylist& playlist);
    // Starts the playlist's loop at a line (the alarm).
    bool StartLoop(COpenPlaylist& playlist, int line);
    // The stored playlist font to every list and the playlists bar (after Options).
    void ApplyListFonts();
    // The playlist view's needs: the active player, a copy of the settings, whether the
    // song clipboard holds songs, the frames of the looping and of the scheduled list.
    CPlayer* GetActivePlayer();
    CSettings GetSettings() const;
    bool HasSongClipboardData();
    CChildFrame* FindLoopingFrame();
    CChildFrame* FindScheduledFrame();
    // Files dropped on a playlist window before a line (the import's drop rules).
    bool DropFilesOn(COpenPlaylist& playlist, int line, const std::vector<std::string>& paths);
    // Ctrl+E: the seek window shown beside the active playlist window, or hidden again
    // when the focus is in it.
    void ToggleSeekPanel();
    // Ctrl+F: the find panel shown and focused, or hidden again when the focus is in it.
    void ToggleFindPanel();
    // The regions panel shows the regions as they now stand.
    void RefreshRegionsPanel();
    // The find of a playlist window (the find panel and the find dialog): the line found,
    // selected and scrolled into view, or -1.
    int FindInList(COpenPlaylist& playlist, const std::string& text, bool down, bool wholeWord,
                   bool fromSelection);
    // "&View next song to be played": the looping list forward with its next song.
    void ViewNextSong();
    // The window's close box: the document's checks and question, then the close.
    void RequestClosePlaylist(COpenPlaylist& playlist);

    // ---- Closing ----
    // The album-closing routine.
    bool CloseAlbumRoutine(bool askCloseAll);
    // Ctrl+Alt+Shift+Q: closes without saving or recording the album.
    void QuickClose();
    // The tray menu's Exit, with its question.
    void ExitFromTray();
    // SIGTERM, SIGINT, logout: saves every change without asking (unnamed playlists as
    // "recovered-N.qmx" in the program folder) and closes.
    void KeepWorkAndClose();
    // The first showing, with the stored placement (or centred when "x" is -1).
    void ShowWithPlacement();
    void StorePlacement();
    // Saves every open playlist: asking each (Cancel ends with false), or saving each
    // modified one (a failure ends with false unless keepGoing).
    bool SaveAllDocuments(bool ask, bool keepGoing);
    // The music import of the active playlist (start-up's first-run question).
    void ImportFolderWithSubfolders();
    // Runs the PC shutdown (after question 107 when "askshutdownpc" is set).
    bool ShutDownPc();

    // IAlbumHost
    bool ChooseAlbumToOpen(std::string& path) override;
    bool ChooseAlbumToSave(const std::string& proposed, std::string& path) override;
    void CloseAlbum() override;
    void SetAlbumTitle(const std::string& albumTitle) override;
    bool OpenPlaylist(const std::string& path) override;
    std::vector<IAlbumPlaylist*> GetOpenPlaylists() override;
    void ReportError(const std::string& text) override;

    // IDocumentHost
    CMixorel2001Doc* CreateDocument(const std::string& title) override;
    void ShowDocument(CMixorel2001Doc& doc) override;
    bool HasActivePlayer() override;
    void PrepareActivePlayer(CMixorel2001Doc& doc) override;
    void ReleaseActivePlayer(CMixorel2001Doc& doc) override;
    void ShowImportProgress(CMixorel2001Doc& doc) override;
    void RefreshPlaylistsBar(CMixorel2001Doc& doc) override;

    // IAlbumCloseHost
    std::vector<COpenPlaylist*> GetPlaylists() override;
    void ClosePlaylist(COpenPlaylist& playlist) override;
    bool IsAlbumModified() const override { return m_bAlbumModified; }
    // True once the window has accepted its close (the program is ending).
    bool IsClosed() const { return m_bClosed; }
    void SetAlbumModified(bool modified) override { m_bAlbumModified = modified; }
    void ResetCaption() override;

    // IListCommandUi
    CMixorel2001Doc* CreatePlaylist(const std::string& title) override;
    void ShowPlaylist(CMixorel2001Doc& doc) override;
    void ClosePlaylist(CMixorel2001Doc& doc) override;
    bool AskFilterPattern(const std::vector<std::string>& history, std::string& pattern) override;
    bool ChooseFolder(const std::string& title, std::string& folder) override;
    std::unique_ptr<ICopyProgress> CreateCopyProgress(const std::string& title, int lower,
                                                      int upper) override;
    AbortRetryIgnore AskAbortRetryIgnore(const std::string& text) override;

    // IExchangeUi
    bool ChooseM3uFile(std::string& path) override;
    bool ChooseHtmlFile(std::string& path) override;
    void OpenWithSystem(const std::string& path) override;

    // IShutdownRequest: the loop's end, from its own thread.
    void RequestShutdown() override;

private Q_SLOTS:
    void OnNotified(uint id);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Entry;

    Entry* AddEntry(const std::string& title);
    void ShowEntry(Entry& entry);
    Entry* FindEntry(const CMixorel2001Doc& doc);
    void DropEntry(Entry& entry);
    bool CloseRemaining(bool quickClose);
    void CloseAllNow();

    void BuildMenus();
    QMenu* BuildPlayMenu();
    QAction* AddViewCommand(QMenu* menu, int id);
    void BuildPlaylistsBarMenu();
    void BuildToolBar();
    // The menu item of that text (with its '&'), null when none.
    QAction* FindMenuAction(const QString& text);
    void EnableKeys();
    // "&Tile" and "rearrangeonnew": full-width windows one above the other.
    void TileHorizontally();
    // "P&rint Setup...": the page set-up of the run's printer.
    void PrintSetup();
    QPrinter& GetPrinter();
    void BuildStatusBar();
    void BuildAnalysisPane();
    void FeedAnalysis();
    void BuildTray();
    void BuildPanels();
    void BuildPlaylistsBar();
    void StartMprisServer();
    void SwitchScheduler(CMixorel2001Doc& doc);
    void NotifySongStart(const CNowPlaying& now);
    // The bar's entries follow the playlists' states and titles.
    void SyncPlaylistsBar();
    void TogglePlaylistsBar();
    // Options, at the page given (-1: the welcome text).
    void ShowOptions(int page = -1);
    // "&Like current list": the active list's column order and widths for new lists.
    bool StoreColumnLayout();
    void PrintActive(bool preview);
    void EditTags(Entry& entry, const std::vector<std::string>& ids);
    void AutoTag(Entry& entry);
    void OpenWalker(Entry& entry);
    void MakeListOf(CMixorel2001Doc& source, const std::vector<std::string>& ids);
    void TogglePanel(QDockWidget* panel);
    void OnChildActivated(QMdiSubWindow* window);
    void FindNext();
    QAction* AddCommand(QMenu* menu, const char* text, std::function<void()> run);
    void OnActive(const std::function<void(Entry&)>& run);
    void RefreshMenus();
    void AddTagCommands(QMenu* list);
    void FillRecentAlbums();
    void FillRecentPlaylists();
    // A playlist read or saved heads File's recent playlists (kept in the store at once).
    void AddRecentPlaylist(const std::string& path);
    void OnTrayTimer();
    void OnIdleTimer();
    void RestoreFromTray();
    void ShowLogFile();
    void ShowHelp();
    void ShowAbout();
    std::vector<std::string> SelectedIds(Entry& entry);
    void ApplyChildRules(QMdiSubWindow* window);

    Services m_services;
    CPlayerHub* m_pPlayers = nullptr;
    std::unique_ptr<CQtImportUi> m_pImportUi;
    CAlbumManager m_albums;
    CLocationList m_locations;
    std::vector<std::unique_ptr<Entry>> m_entries;
    QMdiArea* m_pMdi = nullptr;
    QMenu* m_pRecentMenu = nullptr;
    QMenu* m_pRecentPlaylistsMenu = nullptr;
    CRecentPlaylistSettings m_recentPlaylists;
    QMenu* m_pTrayMenu = nullptr;
    QMenu* m_pBarMenu = nullptr;
    // The printer of the run: "P&rint Setup..." sets it up, printing uses it.
    std::unique_ptr<QPrinter> m_pPrinter;
    QSystemTrayIcon* m_pTray = nullptr;
    QLabel* m_pIdlePane = nullptr;
    // "Analysing 1,234 of 20,000" while songs wait for their analysis.
    QLabel* m_pAnalysisPane = nullptr;
    // The line count of each open playlist when its songs were last queued for analysis.
    std::map<const CMixorel2001Doc*, int> m_analysedCounts;
    CSeekPanel* m_pSeek = nullptr;
    CFindPanel* m_pFind = nullptr;
    CRegionsPanel* m_pRegionsPanel = nullptr;
    CViewSelectDlgBar* m_pPlaylistsBar = nullptr;
    CMprisServer* m_pMpris = nullptr;
    uint m_nNotificationId = 0;
    std::map<const CMixorel2001Doc*, QPointer<CMediaWalkerWnd>> m_walkers;
    QTimer* m_pTrayTimer = nullptr;
    QTimer* m_pIdleTimer = nullptr;
    CBroadcastController* m_pBroadcast = nullptr;
    std::vector<std::pair<QAction*, std::function<bool()>>> m_enablers;
    QAction* m_pShutdownAtEnd = nullptr;
    int m_nNewCount = 0;
    // Identifies each loop or scheduler start of this window.
    std::uint32_t m_nToken = 0;
    bool m_bQuickClose = false;
    bool m_bAlbumModified = false;
    bool m_bPlacementApplied = false;
    bool m_bTileWhenShown = false;
    bool m_bClosed = false;
    bool m_bSortAscending = true;
};
