#include "ui/CMainFrame.h"

#include "catalogue/CAutoTagRun.h"
#include "catalogue/CHtmlListWriter.h"
#include "catalogue/CListFilter.h"
#include "catalogue/CM3uReader.h"
#include "catalogue/CMigrator.h"
#include "catalogue/CMusicImporter.h"
#include "catalogue/CPlaylistColumns.h"
#include "catalogue/ISongClipboard.h"
#include "playback/ApplyPlayerSettings.h"
#include "playback/CNowPlaying.h"
#include "playback/CPlayer.h"
#include "playback/CSchedulerSwitch.h"
#include "settings/CColumnLayoutSettings.h"
#include "settings/CSharedSettings.h"
#include "ui/CAutoTagDialog.h"
#include "ui/CId3TagDialog.h"
#include "ui/CListPrintCommand.h"
#include "ui/CMediaWalkerWnd.h"
#include "ui/CMprisServer.h"
#include "ui/COptionsDialog.h"
#include "ui/CPlaylistViewRules.h"
#include "ui/CViewSelectDlgBar.h"
#include "ui/CViewSelectListCtrl.h"

#include "playback/ApplyPlayerSettings.h"
#include "playback/CPlayer.h"
#include "playback/CScheduleListThread.h"
#include "playback/CSystemLoopClock.h"
#include "settings/CSettings.h"
#include "settings/CSharedSettings.h"
#include "settings/CWindowPlacementSettings.h"
#include "settings/ProgramFolder.h"
#include "ui/CAlarmDialog.h"
#include "ui/CAlbumCloser.h"
#include "ui/CChildFrame.h"
#include "ui/CFindPanel.h"
#include "ui/CFindPosition.h"
#include "ui/CManual.h"
#include "ui/CMixorel2001View.h"
#include "ui/COpenPlaylist.h"
#include "ui/CPlayerHub.h"
#include "ui/CQtImportProgress.h"
#include "ui/CQtImportUi.h"
#include "ui/CRegionsPanel.h"
#include "ui/CSeekPanel.h"
#include "ui/CSessionPrompt.h"
#include <QDBusMessage>
#include <QHeaderView>
#include <QTableView>
#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDropEvent>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTableView>
#include <QTimer>
#include <QUrl>
#include <algorithm>

struct CMainFrame::Entry {
    std::unique_ptr<COpenPlaylist> pPlaylist;
    CFindPosition find;
    std::unique_ptr<CMusicImporter> pImporter;
    CChildFrame* pFrame = nullptr;
};

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

bool EndsWithNoCase(const std::string& text, const char* tail) {
    const std::size_t length = std::char_traits<char>::length(tail);
    return text.size() >= length && QString::fromStdString(text.substr(text.size() - length))
                                            .compare(QLatin1String(tail), Qt::CaseInsensitive) == 0;
}

// Window show states of the stored placement.
constexpr int kShowMinimized = 2;
constexpr int kShowMaximized = 3;
constexpr int kShowNormal = 1;

} // namespace

CMainFrame::CMainFrame(const Services& services) : m_services(services), m_albums(*this) {
    setWindowTitle(QString::fromLatin1(kAppTitle));
    setWindowIcon(QIcon(QStringLiteral(":/mixorel/mixorel.png")));
    setAcceptDrops(true);
    setDockOptions(dockOptions() | QMainWindow::AllowTabbedDocks);
    m_pImportUi = std::make_unique<CQtImportUi>(this, *m_services.pPrompt);
    m_locations.Load(CLocationList::DefaultPath());
    m_pMdi = new QMdiArea(this);
    m_pMdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_pMdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_pMdi);
    connect(m_pMdi, &QMdiArea::subWindowActivated, this, &CMainFrame::OnChildActivated);
    BuildPanels();
    BuildPlaylistsBar();
    BuildMenus();
    BuildStatusBar();
    BuildTray();
    std::vector<std::uint8_t> state;
    if (m_services.pStore->GetProfileBinary(kBarStateSection, "state", state)) {
        restoreState(QByteArray(reinterpret_cast<const char*>(state.data()),
                                static_cast<qsizetype>(state.size())));
    } else {
        // First run: the playlists bar a strip under the playlists, not half the window.
        resizeDocks({m_pPlaylistsBar}, {110}, Qt::Vertical);
    }
    m_pTrayTimer = new QTimer(this);
    connect(m_pTrayTimer, &QTimer::timeout, this, &CMainFrame::OnTrayTimer);
    m_pTrayTimer->start(kTrayTimerMs);
    m_pIdleTimer = new QTimer(this);
    connect(m_pIdleTimer, &QTimer::timeout, this, &CMainFrame::OnIdleTimer);
    m_pIdleTimer->start(kIdleTimerMs);
    CMixorel2001Doc::SetShutdownRequest(this);
}

CMainFrame::~CMainFrame() {
    CScheduleListThread::StopScheduler();
    CMixorel2001Doc::SetShutdownRequest(nullptr);
    CloseAllNow();
    if (!m_bClosed) {
        m_locations.Save(CLocationList::DefaultPath());
    }
}

// ---- Menus and bars ----

void CMainFrame::SetPlayers(CPlayerHub* players) {
    m_pPlayers = players;
    m_pSeek->SetPlayer(players != nullptr ? &players->GetPlayer() : nullptr);
    if (players != nullptr && m_pMpris == nullptr) {
        StartMprisServer();
    }
}

// The media keys and the desktop's sound applet reach the player through MPRIS.
void CMainFrame::StartMprisServer() {
    CMprisServer::Commands commands;
    auto looping = [this]() -> CMixorel2001Doc* {
        for (const auto& entry : m_entries) {
            CMixorel2001Doc& doc = entry->pPlaylist->GetDoc();
            if (doc.IsLooping() || doc.IsScheduled()) {
                return &doc;
            }
        }
        return nullptr;
    };
    commands.read = [this, looping] {
        return CNowPlaying::Read(m_pPlayers->GetPlayer(), looping() != nullptr);
    };
    commands.next = [this] { m_pPlayers->GetPlayer().Skip(); };
    commands.stop = [this, looping] {
        if (CMixorel2001Doc* doc = looping()) {
            doc->StopLoop();
        }
        m_pPlayers->GetPlayer().Stop();
    };
    commands.pause = [this] { m_pPlayers->GetPlayer().PauseResume(); };
    commands.play = [this] {
        auto* frame = qobject_cast<CChildFrame*>(m_pMdi->activeSubWindow());
        if (frame != nullptr) {
            const QModelIndex current = frame->GetList()->currentIndex();
            StartLoop(frame->GetPlaylist(), current.isValid() ? current.row() : 0);
        }
    };
    commands.setVolume = [this](double volume) {
        m_pPlayers->GetPlayer().SetVolume(CPlayer::kIgnored,
                                          static_cast<std::int32_t>(1000 - volume * 1000 + 0.5));
    };
    commands.raise = [this] { RestoreFromTray(); };
    commands.quit = [this] { close(); };
    commands.trackStarted = [this](const CNowPlaying& now) { NotifySongStart(now); };
    m_pMpris = new CMprisServer(std::move(commands), this);
    if (!m_pMpris->Register(QDBusConnection::sessionBus())) {
        delete m_pMpris;
        m_pMpris = nullptr;
    }
}

void CMainFrame::BuildPanels() {
    m_pFind = new CFindPanel(this);
    addDockWidget(Qt::TopDockWidgetArea, m_pFind);
    m_pFind->hide();
    connect(m_pFind, &CFindPanel::FindNext, this, &CMainFrame::FindNext);
    m_pSeek = new CSeekPanel(this);
    addDockWidget(Qt::BottomDockWidgetArea, m_pSeek);
    // A small tool window of its own; the user may still dock it.
    m_pSeek->setFloating(true);
    m_pSeek->resize(320, m_pSeek->sizeHint().height());
    m_pSeek->hide();
    m_pRegionsPanel = new CRegionsPanel(this, *m_services.pPrompt);
    addDockWidget(Qt::RightDockWidgetArea, m_pRegionsPanel);
    connect(m_pRegionsPanel, &CRegionsPanel::PreSizeToggled, this, [this](bool on) {
        if (auto* frame = qobject_cast<CChildFrame*>(m_pMdi->activeSubWindow())) {
            frame->SetPreSized(on);
        }
    });
    m_pRegionsPanel->hide();
}

void CMainFrame::TogglePanel(QDockWidget* panel) {
    if (panel->isVisible() && panel->isAncestorOf(QApplication::focusWidget())) {
        panel->hide();
        if (COpenPlaylist* active = GetActivePlaylist()) {
            FindFrame(*active)->GetList()->setFocus();
        }
        return;
    }
    panel->show();
    panel->raise();
    panel->setFocus();
    if (panel == m_pFind) {
        m_pFind->FocusText();
    }
    if (panel == m_pRegionsPanel) {
        // A narrow side bar, whatever width a former layout left it.
        QTimer::singleShot(0, this, [this] {
            resizeDocks({m_pRegionsPanel},
                        {std::max(m_pRegionsPanel->minimumSizeHint().width(), width() / 4)},
                        Qt::Horizontal);
        });
    }
}

void CMainFrame::FindNext() {
    OnActive([this](Entry& e) {
        FindInList(*e.pPlaylist, m_pFind->GetText(), m_pFind->IsDown(), m_pFind->IsWholeWord(),
                   m_pFind->IsFromSelection());
    });
}

int CMainFrame::FindInList(COpenPlaylist& playlist, const std::string& text, bool down,
                           bool wholeWord, bool fromSelection) {
    Entry* e = FindEntry(playlist.GetDoc());
    if (e == nullptr || e->pFrame == nullptr) {
        return -1;
    }
    QTableView* list = e->pFrame->GetList();
    const QModelIndex current = list->currentIndex();
    const int start =
        fromSelection ? (current.isValid() ? current.row() : -1) : CFindPosition::kFromPosition;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const int line = e->find.FindSong(e->pPlaylist->GetDoc(),
                                      CFindPosition::PatternFor(text, wholeWord), down, start);
    QApplication::restoreOverrideCursor();
    if (line >= 0) {
        list->selectRow(line);
        list->scrollTo(list->model()->index(line, 0));
    }
    return line;
}

// Brings the looping list forward with its next song selected.
void CMainFrame::ViewNextSong() {
    for (const auto& entry : m_entries) {
        CMixorel2001Doc& doc = entry->pPlaylist->GetDoc();
        if (doc.IsLooping()) {
            ShowEntry(*entry);
            const int line = doc.GetPlayPosition(CMixorel2001Doc::kLoopMode);
            QTableView* list = entry->pFrame->GetList();
            list->selectRow(line);
            list->scrollTo(list->model()->index(line, 0));
            list->setFocus();
            return;
        }
    }
}

void CMainFrame::OnChildActivated(QMdiSubWindow* window) {
    auto* frame = qobject_cast<CChildFrame*>(window);
    if (frame != nullptr) {
        m_pPlaylistsBar->SelectEntry(frame);
        m_bAlbumModified = true;
        m_pRegionsPanel->SetPlaylist(&frame->GetPlaylist().GetDoc(), frame->GetList());
        m_pRegionsPanel->SetPreSizeChecked(frame->IsPreSized());
    }
}

QAction* CMainFrame::AddCommand(QMenu* menu, const char* text, std::function<void()> run) {
    const QString full = QString::fromLatin1(text);
    const int tab = full.indexOf(QLatin1Char('\t'));
    auto* action = menu->addAction(tab < 0 ? full : full.left(tab));
    if (tab >= 0) {
        action->setShortcut(QKeySequence(full.mid(tab + 1)));
    }
    connect(action, &QAction::triggered, this, [run = std::move(run)] { run(); });
    return action;
}

void CMainFrame::OnActive(const std::function<void(Entry&)>& run) {
    if (COpenPlaylist* active = GetActivePlaylist()) {
        if (Entry* entry = FindEntry(active->GetDoc())) {
            run(*entry);
        }
    }
}

void CMainFrame::BuildMenus() {
    const auto hasActive = [this] { return GetActivePlaylist() != nullptr; };
    const auto onActive = [this](std::function<void(Entry&)> run) {
        return [this, run = std::move(run)] { OnActive(run); };
    };
    const auto needsActive = [this, hasActive](QAction* action) {
        m_enablers.emplace_back(action, hasActive);
    };
    IShellPrompt& prompt = *m_services.pPrompt;

    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    AddCommand(file, "&New\tCtrl+N", [this] { NewPlaylist(); });
    AddCommand(file, "&Open...\tCtrl+O", [this, &prompt] {
        std::string path;
        if (prompt.ChooseOpenFile("Open", "Mixorel Files (*.qmx);;Mixorel Album Files (*.qma)",
                                  path)) {
            OpenFile(path);
        }
    });
    needsActive(AddCommand(file, "&Close",
                           onActive([this](Entry& e) { RequestClosePlaylist(*e.pPlaylist); })));
    needsActive(AddCommand(file, "&Save\tCtrl+S", onActive([](Entry& e) { e.pPlaylist->Save(); })));
    needsActive(AddCommand(file, "Save &As...", onActive([](Entry& e) { e.pPlaylist->SaveAs(); })));
    AddCommand(file, "Save A&ll", [this] { SaveAllDocuments(false, true); });
    file->addSeparator();
    AddCommand(file, "Open A&lbum...", [this] {
        if (m_albums.OpenAlbum({}, false)) {
            m_bAlbumModified = false;
        }
    });
    m_enablers.emplace_back(
        AddCommand(file, "Sa&ve Album",
                   [this] {
                       if (m_albums.SaveAlbum(true, {}, true)) {
                           m_bAlbumModified = false;
                       }
                   }),
        [this, hasActive] { return !m_albums.GetAlbumPath().empty() || hasActive(); });
    m_enablers.emplace_back(AddCommand(file, "Close Album", [this] { CloseAlbumRoutine(true); }),
                            [this] { return !m_albums.GetAlbumPath().empty(); });
    m_pRecentMenu = file->addMenu(QStringLiteral("Recent &Albums"));
    connect(m_pRecentMenu, &QMenu::aboutToShow, this, &CMainFrame::FillRecentAlbums);
    file->addSeparator();
    needsActive(AddCommand(file, "Create &HTML song list...", onActive([this, &prompt](Entry& e) {
                               CHtmlListWriter::Export(e.pPlaylist->GetDoc(), *this, prompt);
                           })));
    file->addSeparator();
    needsActive(AddCommand(file, CListPrintCommand::kPrintText, [this] { PrintActive(false); }));
    needsActive(AddCommand(file, CListPrintCommand::kPreviewText, [this] { PrintActive(true); }));
    file->addSeparator();
    AddCommand(file, "E&xit", [this] { close(); });
    auto* quick = new QAction(this);
    quick->setShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+Shift+Q")));
    connect(quick, &QAction::triggered, this, &CMainFrame::QuickClose);
    addAction(quick);

    QMenu* import = menuBar()->addMenu(QStringLiteral("&Import"));
    needsActive(AddCommand(import, "Import music &files...",
                           onActive([](Entry& e) { e.pImporter->OnImportFiles(); })));
    needsActive(
        AddCommand(import, "Import folder w/ &subfolders...\tCtrl+I",
                   onActive([](Entry& e) { e.pImporter->OnImportFolderWithSubfolders(); })));
    needsActive(AddCommand(import, "Import single folder...\tCtrl+Shift+I",
                           onActive([](Entry& e) { e.pImporter->OnImportSingleFolder(); })));
    m_enablers.emplace_back(
        AddCommand(import, "&Repeat the last import folder\tF5",
                   onActive([](Entry& e) { e.pImporter->OnRepeatLastImport(); })),
        [this] {
            COpenPlaylist* active = GetActivePlaylist();
            Entry* entry = active != nullptr ? FindEntry(active->GetDoc()) : nullptr;
            return entry != nullptr && entry->pImporter->IsLastImportKnown();
        });
    needsActive(AddCommand(import, "Import from multiple locations\tCtrl+Shift+Alt+I",
                           onActive([](Entry& e) { e.pImporter->OnImportLocations(); })));
    import->addSeparator();
    needsActive(AddCommand(import, "Import w&inamp list...", onActive([this, &prompt](Entry& e) {
                               CM3uReader::ImportM3u(e.pPlaylist->GetDoc(), *this, prompt);
                           })));

    QMenu* list = menuBar()->addMenu(QStringLiteral("&List"));
    needsActive(AddCommand(list, "Ra&ndomize\tCtrl+Shift+R",
                           onActive([](Entry& e) { e.pPlaylist->GetDoc().Randomize(); })));
    needsActive(AddCommand(list, "Sort by song file's date (asc/desc)", onActive([this](Entry& e) {
                               e.pPlaylist->GetDoc().SortCommand(3, m_bSortAscending);
                               m_bSortAscending = !m_bSortAscending;
                           })));
    needsActive(AddCommand(list, "&Filter\tF3", onActive([this, &prompt](Entry& e) {
                               CListFilter::Filter(e.pPlaylist->GetDoc(), *this, prompt);
                           })));
    list->addSeparator();
    m_enablers.emplace_back(
        AddCommand(list, "Show the list of played son&gs",
                   onActive([](Entry& e) { e.pPlaylist->GetDoc().ShowPlayed(); })),
        [hasActive] { return hasActive() && CMixorel2001Doc::HasPlayed(); });
    needsActive(AddCommand(list, "Empt&y the list of played songs",
                           onActive([](Entry& e) { e.pPlaylist->GetDoc().EmptyPlayed(true); })));
    list->addSeparator();
    needsActive(AddCommand(list, "&Migrate...", onActive([this](Entry& e) {
                               CMigrator::Migrate(e.pPlaylist->GetDoc(), *this);
                           })));
    needsActive(AddCommand(list, "Re&process\tCtrl+Shift+P", onActive([this](Entry& e) {
                               e.pPlaylist->GetDoc().Reprocess(SelectedIds(e));
                           })));

    list->addSeparator();
    needsActive(AddCommand(list, "Edit &ID3 tag...\tCtrl+3",
                           onActive([this](Entry& e) { EditTags(e, SelectedIds(e)); })));
    needsActive(
        AddCommand(list, "A&uto tag...\tCtrl+Shift+3", onActive([this](Entry& e) { AutoTag(e); })));
    needsActive(
        AddCommand(list, "Media &tree\tCtrl+W", onActive([this](Entry& e) { OpenWalker(e); })));

    QMenu* play = BuildPlayMenu();

    QMenu* regions = menuBar()->addMenu(QStringLiteral("&Regions"));
    needsActive(AddCommand(regions, "&Add...", onActive([](Entry& e) {
                               e.pFrame->GetView()->RunCommand(CMixorel2001View::kAddRegion);
                           })));
    needsActive(AddCommand(regions, "Ed&it...", onActive([](Entry& e) {
                               e.pFrame->GetView()->RunCommand(CMixorel2001View::kEditRegion);
                           })));
    needsActive(AddCommand(regions, "Remove a&ll", onActive([this](Entry& e) {
                               e.pPlaylist->GetDoc().RemoveAllRegions(true);
                               RefreshRegionsPanel();
                           })));
    QAction* scheduler =
        AddCommand(regions, "Sc&heduler on/off",
                   onActive([this](Entry& e) { SwitchScheduler(e.pPlaylist->GetDoc()); }));
    scheduler->setCheckable(true);
    m_enablers.emplace_back(scheduler, [this, hasActive, scheduler] {
        COpenPlaylist* active = GetActivePlaylist();
        scheduler->setChecked(active != nullptr &&
                              CScheduleListThread::IsScheduled(&active->GetDoc()));
        return hasActive();
    });
    needsActive(AddCommand(regions, "Set A&larm...", onActive([this](Entry& e) {
                               CMixorel2001Doc& doc = e.pPlaylist->GetDoc();
                               CDateTime alarm = doc.GetAlarm();
                               if (CAlarmDialog::Ask(this, e.pPlaylist->GetDisplayName(), alarm) !=
                                   CAlarmDialog::kCancel) {
                                   doc.SetAlarm(alarm);
                                   e.pFrame->RefreshAlarm();
                               }
                           })));
    regions->addSeparator();
    m_pShutdownAtEnd = AddCommand(regions, "Shut down PC at the end of looping", [] {
        CMixorel2001Doc::SetShutdownAtEnd(!CMixorel2001Doc::IsShutdownAtEnd());
    });
    m_pShutdownAtEnd->setCheckable(true);
    AddCommand(regions, "Show the log file", [this] { ShowLogFile(); });

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    needsActive(AddCommand(view, "Find\tCtrl+F", [this] { TogglePanel(m_pFind); }));
    m_enablers.emplace_back(
        AddCommand(view, "&View next song to be played\tCtrl+B", [this] { ViewNextSong(); }),
        [this] {
            return std::any_of(m_entries.begin(), m_entries.end(),
                               [](const auto& e) { return e->pPlaylist->GetDoc().IsLooping(); });
        });
    AddCommand(view, "See&k\tCtrl+E", [this] { TogglePanel(m_pSeek); });
    AddCommand(view, "&View panel...\tCtrl+R", [this] {
        m_pRegionsPanel->Refresh();
        TogglePanel(m_pRegionsPanel);
    });

    AddCommand(view, "&Playlists\tAlt+0", [this] { TogglePlaylistsBar(); });

    QMenu* tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    AddCommand(tools, "&Options...", [this] { ShowOptions(); });

    QMenu* window = menuBar()->addMenu(QStringLiteral("&Window"));
    AddCommand(window, "&Cascade", [this] { m_pMdi->cascadeSubWindows(); });
    AddCommand(window, "&Tile", [this] { m_pMdi->tileSubWindows(); });
    needsActive(AddCommand(window, "Close &All", [this] { CloseRemaining(false); }));

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    AddCommand(help, "&Help Topics\tF1", [this] { ShowHelp(); });
    help->addSeparator();
    AddCommand(help, "&About Mixorel...", [this] { ShowAbout(); });

    for (QMenu* menu : {file, import, list, play, regions, view, window}) {
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::RefreshMenus);
    }
}

void CMainFrame::RefreshMenus() {
    for (auto& [action, enabled] : m_enablers) {
        action->setEnabled(enabled());
    }
    m_pShutdownAtEnd->setChecked(CMixorel2001Doc::IsShutdownAtEnd());
    m_pRecentMenu->setEnabled(!m_albums.GetRecentAlbums().empty());
}

void CMainFrame::FillRecentAlbums() {
    m_pRecentMenu->clear();
    int number = 1;
    for (const std::string& path : m_albums.GetRecentAlbums()) {
        QAction* action =
            m_pRecentMenu->addAction(QStringLiteral("&%1 %2").arg(number++).arg(Q(path).left(200)));
        connect(action, &QAction::triggered, this, [this, path] {
            if (m_albums.OpenAlbum(path, false)) {
                m_bAlbumModified = false;
            }
        });
    }
}

void CMainFrame::BuildStatusBar() {
    statusBar()->showMessage(QStringLiteral("For Help, press F1"));
    // Menu items without a prompt of their own leave the help line in place.
    connect(statusBar(), &QStatusBar::messageChanged, this, [this](const QString& message) {
        if (message.isEmpty()) {
            statusBar()->showMessage(QStringLiteral("For Help, press F1"));
        }
    });
    m_pIdlePane = new QLabel(QStringLiteral("Idle"), this);
    m_pIdlePane->setMinimumWidth(60);
    m_pIdlePane->setAlignment(Qt::AlignCenter);
    m_pIdlePane->installEventFilter(this);
    statusBar()->addPermanentWidget(m_pIdlePane);
}

void CMainFrame::BuildTray() {
    m_pTray = new QSystemTrayIcon(windowIcon(), this);
    m_pTray->setToolTip(QString::fromLatin1(kAppTitle));
    m_pTrayMenu = new QMenu(this);
    QAction* restore = m_pTrayMenu->addAction(QStringLiteral("Restore"));
    QFont bold = restore->font();
    bold.setBold(true);
    restore->setFont(bold);
    connect(restore, &QAction::triggered, this, &CMainFrame::RestoreFromTray);
    QAction* exit = m_pTrayMenu->addAction(QStringLiteral("E&xit QMX"));
    connect(exit, &QAction::triggered, this, &CMainFrame::ExitFromTray);
    m_pTray->setContextMenu(m_pTrayMenu);
    connect(m_pTray, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason why) {
                if (why == QSystemTrayIcon::DoubleClick || why == QSystemTrayIcon::Trigger) {
                    RestoreFromTray();
                }
            });
}

void CMainFrame::OnTrayTimer() {
    std::string title;
    if (m_pPlayers != nullptr) {
        m_pPlayers->GetPlayer().GetTitle(title);
    }
    m_pTray->setToolTip(title.empty() ? QString::fromLatin1(kAppTitle)
                                      : QStringLiteral("Playing: %1").arg(Q(title)));
}

void CMainFrame::OnIdleTimer() {
    bool looping = false;
    for (const auto& entry : m_entries) {
        looping = looping || entry->pPlaylist->GetDoc().IsLooping();
    }
    m_pIdlePane->setText(looping ? QStringLiteral("Looping") : QStringLiteral("Idle"));
    SyncPlaylistsBar();
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_pIdlePane && event->type() == QEvent::MouseButtonDblClick) {
        for (const auto& entry : m_entries) {
            if (entry->pPlaylist->GetDoc().IsLooping()) {
                ShowEntry(*entry);
            }
        }
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::RestoreFromTray() {
    m_pTray->hide();
    if (isMinimized() || !isVisible()) {
        showNormal();
    }
    raise();
    activateWindow();
}

void CMainFrame::ShowLogFile() {
    CSettings settings(*m_services.pStore);
    settings.Load();
    QDesktopServices::openUrl(QUrl::fromLocalFile(Q(settings.m_strLogPath)));
}

void CMainFrame::ShowHelp() {
    const QString manual = CManual::IndexPath();
    if (!manual.isEmpty()) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(manual));
    }
}

void CMainFrame::ShowAbout() {
    QMessageBox::about(this, QStringLiteral("About Mixorel"),
                       QStringLiteral("<b>Mixorel</b> %1<br>A music player for parties and small "
                                      "broadcast set-ups.")
                           .arg(QApplication::applicationVersion()));
}

// ---- Documents ----

CMainFrame::Entry* CMainFrame::AddEntry(const std::string& title) {
    if (m_pPlayers == nullptr) {
        return nullptr;
    }
    auto entry = std::make_unique<Entry>();
    entry->pPlaylist = std::make_unique<COpenPlaylist>(*m_services.pPrompt);
    CMixorel2001Doc& doc = entry->pPlaylist->GetDoc();
    doc.SetHost(this);
    doc.SetSharedSettings(m_services.pSettings);
    doc.SetClipboard(m_services.pClipboard);
    doc.SetPlayerLink(&m_pPlayers->GetLink());
    doc.SetLoopFactory(&m_pPlayers->GetLoopFactory());
    doc.SetTitle(title);
    entry->pImporter = std::make_unique<CMusicImporter>(doc, *m_services.pPrompt, *m_pImportUi,
                                                        m_locations, m_services.pSettings);
    m_entries.push_back(std::move(entry));
    return m_entries.back().get();
}

void CMainFrame::ShowEntry(Entry& entry) {
    if (entry.pFrame == nullptr) {
        entry.pFrame = new CChildFrame(*this, *entry.pPlaylist);
        m_pMdi->addSubWindow(entry.pFrame);
        CMixorel2001Doc& doc = entry.pPlaylist->GetDoc();
        m_pPlaylistsBar->AddEntry(entry.pFrame, &doc, doc.GetTitle(), doc.IsLocked());
        ApplyChildRules(entry.pFrame);
        m_bAlbumModified = true;
    }
    m_pMdi->setActiveSubWindow(entry.pFrame);
}

void CMainFrame::ApplyChildRules(QMdiSubWindow* window) {
    CSettings settings(*m_services.pStore);
    settings.Load();
    const bool alone = m_pMdi->subWindowList().size() == 1;
    if (settings.m_bMaximizeChild == 1 && alone) {
        window->showMaximized();
    } else {
        window->show();
    }
    QMdiSubWindow* active = m_pMdi->activeSubWindow();
    if (settings.m_bRearrangeOnNew == 1 && !alone &&
        (active == nullptr || !active->isMaximized())) {
        QTimer::singleShot(0, m_pMdi, &QMdiArea::tileSubWindows);
    }
}

COpenPlaylist* CMainFrame::NewPlaylist() {
    Entry* entry = AddEntry(std::string(kAppTitle) + std::to_string(++m_nNewCount));
    if (entry == nullptr) {
        return nullptr;
    }
    if (!entry->pPlaylist->GetDoc().OnNewDocument()) {
        DropEntry(*entry);
        return nullptr;
    }
    ShowEntry(*entry);
    return entry->pPlaylist.get();
}

bool CMainFrame::OpenFile(const std::string& path) {
    if (EndsWithNoCase(path, ".qma") || EndsWithNoCase(path, ".qms")) {
        const bool opened = m_albums.OpenAlbum(path, false);
        if (opened) {
            m_bAlbumModified = false;
        }
        return opened;
    }
    return OpenPlaylist(path);
}

bool CMainFrame::OpenPlaylist(const std::string& path) {
    Entry* entry = AddEntry(path.substr(path.find_last_of('/') + 1));
    if (entry == nullptr) {
        return false;
    }
    if (!entry->pPlaylist->Open(path)) {
        DropEntry(*entry);
        return false;
    }
    ShowEntry(*entry);
    return true;
}

COpenPlaylist* CMainFrame::GetActivePlaylist() {
    QMdiSubWindow* active = m_pMdi->activeSubWindow();
    if (active == nullptr && !m_pMdi->subWindowList().isEmpty()) {
        active = m_pMdi->currentSubWindow();
    }
    auto* frame = qobject_cast<CChildFrame*>(active);
    return frame != nullptr ? &frame->GetPlaylist() : nullptr;
}

CChildFrame* CMainFrame::FindFrame(const COpenPlaylist& playlist) {
    Entry* entry = FindEntry(playlist.GetDoc());
    return entry != nullptr ? entry->pFrame : nullptr;
}

CMainFrame::Entry* CMainFrame::FindEntry(const CMixorel2001Doc& doc) {
    for (const auto& entry : m_entries) {
        if (&entry->pPlaylist->GetDoc() == &doc) {
            return entry.get();
        }
    }
    return nullptr;
}

// Stops the document's threads and lets go of the window.
void CMainFrame::DropEntry(Entry& entry) {
    if (entry.pFrame != nullptr) {
        CChildFrame* frame = entry.pFrame;
        entry.pFrame = nullptr;
        m_pPlaylistsBar->RemoveEntry(frame);
        frame->CloseNow();
        m_pMdi->removeSubWindow(frame);
        frame->deleteLater();
        m_bAlbumModified = true;
        CSettings settings(*m_services.pStore);
        settings.Load();
        QMdiSubWindow* active = m_pMdi->activeSubWindow();
        if (settings.m_bRearrangeOnNew == 1 && active != nullptr && !active->isMaximized()) {
            QTimer::singleShot(0, m_pMdi, &QMdiArea::tileSubWindows);
        }
    }
    m_pRegionsPanel->Forget(entry.pPlaylist->GetDoc());
    if (const auto walker = m_walkers.find(&entry.pPlaylist->GetDoc()); walker != m_walkers.end()) {
        delete walker->second.data();
        m_walkers.erase(walker);
    }
    entry.pPlaylist->GetDoc().OnCloseDocument();
    std::erase_if(m_entries, [&entry](const auto& item) { return item.get() == &entry; });
}

bool CMainFrame::StartLoop(COpenPlaylist& playlist, int line) {
    return playlist.GetDoc().StartLoopAt(line, ++m_nToken);
}

void CMainFrame::RequestClosePlaylist(COpenPlaylist& playlist) {
    if (playlist.CanClose(m_bQuickClose)) {
        ClosePlaylist(playlist);
    }
}

std::vector<COpenPlaylist*> CMainFrame::GetPlaylists() {
    std::vector<COpenPlaylist*> playlists;
    for (const auto& entry : m_entries) {
        playlists.push_back(entry->pPlaylist.get());
    }
    return playlists;
}

void CMainFrame::ClosePlaylist(COpenPlaylist& playlist) {
    if (Entry* entry = FindEntry(playlist.GetDoc())) {
        DropEntry(*entry);
    }
}

std::vector<std::string> CMainFrame::SelectedIds(Entry& entry) {
    std::vector<std::string> ids;
    if (entry.pFrame == nullptr) {
        return ids;
    }
    CMixorel2001Doc& doc = entry.pPlaylist->GetDoc();
    std::lock_guard lock(doc.GetMutex());
    for (const QModelIndex& row : entry.pFrame->GetList()->selectionModel()->selectedRows()) {
        if (const CSong* song = doc.GetSongAt(row.row())) {
            ids.push_back(song->GetId());
        }
    }
    return ids;
}

// ---- IDocumentHost ----

CMixorel2001Doc* CMainFrame::CreateDocument(const std::string& title) {
    Entry* entry = AddEntry(title);
    if (entry == nullptr || !entry->pPlaylist->GetDoc().OnNewDocument()) {
        if (entry != nullptr) {
            DropEntry(*entry);
        }
        return nullptr;
    }
    entry->pPlaylist->GetDoc().SetTitle(title);
    ShowEntry(*entry);
    return &entry->pPlaylist->GetDoc();
}

void CMainFrame::ShowDocument(CMixorel2001Doc& doc) {
    if (Entry* entry = FindEntry(doc)) {
        ShowEntry(*entry);
    }
}

bool CMainFrame::HasActivePlayer() {
    return m_pPlayers != nullptr;
}

void CMainFrame::PrepareActivePlayer(CMixorel2001Doc& /*doc*/) {
    ApplyPlayerSettings(m_pPlayers->GetPlayer(), m_services.pSettings->Get());
    m_pPlayers->GetPlayer().AddRef();
    // The internal player answers "connected" at all times but needs its worker before
    // the first song; connecting again keeps a live worker.
    m_pPlayers->GetPlayer().Connect(-1, false);
}

void CMainFrame::ReleaseActivePlayer(CMixorel2001Doc& /*doc*/) {
    if (m_pPlayers != nullptr) {
        m_pPlayers->GetPlayer().Release();
    }
}

void CMainFrame::ShowImportProgress(CMixorel2001Doc& doc) {
    if (Entry* entry = FindEntry(doc)) {
        entry->pImporter->BringProgressToFront();
    }
}

// ---- IAlbumHost ----

bool CMainFrame::ChooseAlbumToOpen(std::string& path) {
    return m_services.pPrompt->ChooseOpenFile("Open Album", "QMX album files (*.qma)", path);
}

bool CMainFrame::ChooseAlbumToSave(const std::string& proposed, std::string& path) {
    if (!m_services.pPrompt->ChooseSaveFile("Save Album", "QMX album files (*.qma)", proposed,
                                            path)) {
        return false;
    }
    if (path.find('.', path.find_last_of('/') + 1) == std::string::npos) {
        path += ".qma";
    }
    return true;
}

void CMainFrame::CloseAlbum() {
    CloseAlbumRoutine(false);
}

void CMainFrame::SetAlbumTitle(const std::string& albumTitle) {
    setWindowTitle(QStringLiteral("%1 - %2").arg(Q(albumTitle), QString::fromLatin1(kAppTitle)));
}

void CMainFrame::ResetCaption() {
    setWindowTitle(QString::fromLatin1(kAppTitle));
}

std::vector<IAlbumPlaylist*> CMainFrame::GetOpenPlaylists() {
    std::vector<IAlbumPlaylist*> playlists;
    for (const auto& entry : m_entries) {
        playlists.push_back(entry->pPlaylist.get());
    }
    return playlists;
}

void CMainFrame::ReportError(const std::string& text) {
    m_services.pPrompt->Ask(text, IShellPrompt::kOk, IShellPrompt::kIconError);
}

// ---- IListCommandUi ----

CMixorel2001Doc* CMainFrame::CreatePlaylist(const std::string& title) {
    return CreateDocument(title);
}

void CMainFrame::ShowPlaylist(CMixorel2001Doc& doc) {
    ShowDocument(doc);
}

void CMainFrame::ClosePlaylist(CMixorel2001Doc& doc) {
    if (Entry* entry = FindEntry(doc)) {
        DropEntry(*entry);
    }
}

bool CMainFrame::AskFilterPattern(const std::vector<std::string>& history, std::string& pattern) {
    QStringList items;
    for (const std::string& entry : history) {
        items.push_back(Q(entry));
    }
    bool ok = false;
    const QString chosen = QInputDialog::getItem(
        this, QStringLiteral("Filter"), QStringLiteral("Filter &match string (song title)"), items,
        items.size() - 1, true, &ok);
    pattern = chosen.toStdString();
    return ok;
}

bool CMainFrame::ChooseFolder(const std::string& title, std::string& folder) {
    return m_pImportUi->ChooseFolder(title, folder, folder);
}

std::unique_ptr<ICopyProgress> CMainFrame::CreateCopyProgress(const std::string& title, int lower,
                                                              int upper) {
    return std::make_unique<CQtImportProgress>(this, nullptr, title, lower, upper);
}

IListCommandUi::AbortRetryIgnore CMainFrame::AskAbortRetryIgnore(const std::string& text) {
    const auto answer =
        QMessageBox::warning(this, QString::fromLatin1(kAppTitle), Q(text),
                             QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore);
    return answer == QMessageBox::Retry ? kRetry : answer == QMessageBox::Ignore ? kIgnore : kAbort;
}

// ---- IExchangeUi ----

bool CMainFrame::ChooseM3uFile(std::string& path) {
    return m_services.pPrompt->ChooseOpenFile("Import winamp list", "m3u files (*.m3u *.m3u8)",
                                              path);
}

bool CMainFrame::ChooseHtmlFile(std::string& path) {
    if (!m_services.pPrompt->ChooseSaveFile("Create HTML song list",
                                            "HTML files (*.html);;HTM files (*.htm)", {}, path)) {
        return false;
    }
    if (path.find('.', path.find_last_of('/') + 1) == std::string::npos) {
        path += ".html";
    }
    return true;
}

void CMainFrame::OpenWithSystem(const std::string& path) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(Q(path)));
}

// ---- Closing ----

bool CMainFrame::CloseAlbumRoutine(bool askCloseAll) {
    CAlbumCloser closer(*this, m_albums, *m_services.pPrompt, *m_services.pStore);
    return closer.Run(askCloseAll);
}

bool CMainFrame::SaveAllDocuments(bool ask, bool keepGoing) {
    bool ok = true;
    for (COpenPlaylist* playlist : GetPlaylists()) {
        if (ask) {
            if (!playlist->SaveModified()) {
                return false;
            }
        } else if (playlist->IsModified() && !playlist->Save()) {
            ok = false;
            if (!keepGoing) {
                return false;
            }
        }
    }
    return ok;
}

// The framework's part of closing: each remaining playlist's checks and question.
bool CMainFrame::CloseRemaining(bool quickClose) {
    for (COpenPlaylist* playlist : GetPlaylists()) {
        if (!playlist->CanClose(quickClose)) {
            return false;
        }
    }
    CloseAllNow();
    return true;
}

void CMainFrame::CloseAllNow() {
    while (!m_entries.empty()) {
        DropEntry(*m_entries.front());
    }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    const bool quick = m_bQuickClose;
    m_bQuickClose = false;
    if (!quick && !CloseAlbumRoutine(false)) {
        event->ignore();
        return;
    }
    StorePlacement();
    const QByteArray state = saveState();
    m_services.pStore->WriteProfileBinary(
        kBarStateSection, "state",
        std::span(reinterpret_cast<const std::uint8_t*>(state.constData()),
                  static_cast<std::size_t>(state.size())));
    if (!CloseRemaining(quick)) {
        event->ignore();
        return;
    }
    m_locations.Save(CLocationList::DefaultPath());
    m_bClosed = true;
    m_pTray->hide();
    event->accept();
    // The program ends with its main window, not with whichever window closed last (a
    // message box while the main window sits in the tray).
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

void CMainFrame::QuickClose() {
    m_bQuickClose = true;
    QTimer::singleShot(0, this, [this] {
        if (!close()) {
            m_bQuickClose = false;
        }
    });
}

void CMainFrame::ExitFromTray() {
    m_pTray->hide();
    if (isMinimized() || !isVisible()) {
        showNormal();
    }
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    show();
    setWindowFlag(Qt::WindowStaysOnTopHint, false);
    show();
    raise();
    if (m_services.pPrompt->Ask(kQuitQuestion, IShellPrompt::kYesNo,
                                IShellPrompt::kIconExclamation) == IUserPrompt::kAnswerYes) {
        QTimer::singleShot(0, this, &QWidget::close);
        return;
    }
    hide();
    m_pTray->show();
}

void CMainFrame::KeepWorkAndClose() {
    CScheduleListThread::StopScheduler();
    m_services.pPrompt->SetUnattended(GetProgramFolder());
    SaveAllDocuments(false, true);
    if (!close()) {
        // Something still refused (a scheduled list): the work is saved, so end anyway.
        CloseAllNow();
        QCoreApplication::exit(0);
    }
}

void CMainFrame::ImportFolderWithSubfolders() {
    OnActive([](Entry& e) { e.pImporter->OnImportFolderWithSubfolders(); });
}

void CMainFrame::RequestShutdown() {
    QMetaObject::invokeMethod(
        this, [this] { ShutDownPc(); }, Qt::QueuedConnection);
}

bool CMainFrame::ShutDownPc() {
    if (m_services.pPrompt->IsUnattended()) {
        return false;
    }
    if (m_services.pSettings->Get().m_bAskShutdownPc != 0 &&
        m_services.pPrompt->Ask(kShutdownQuestion, IShellPrompt::kYesNo,
                                IShellPrompt::kIconExclamation) != IUserPrompt::kAnswerYes) {
        return false;
    }
    if (m_services.pPowerOff != nullptr) {
        m_services.pPowerOff->RequestShutdown();
    }
    return m_services.pPowerOff != nullptr;
}

// ---- Placement, tray, drops ----

void CMainFrame::ShowWithPlacement() {
    CWindowPlacementSettings placement;
    placement.Load(*m_services.pStore);
    m_bPlacementApplied = true;
    if (placement.m_nX != -1) {
        setGeometry(placement.m_nX, placement.m_nY, placement.m_nWidth, placement.m_nHeight);
    } else {
        resize(placement.m_nWidth, placement.m_nHeight);
        if (const QScreen* screen = QApplication::primaryScreen()) {
            QRect rect = geometry();
            rect.moveCenter(screen->availableGeometry().center());
            move(rect.topLeft());
        }
    }
    switch (placement.m_nCmdShow) {
    case kShowMaximized:
        showMaximized();
        break;
    case kShowMinimized:
    case 6:
    case 7:
        showMinimized();
        break;
    default:
        show();
    }
}

void CMainFrame::StorePlacement() {
    CWindowPlacementSettings placement;
    const QRect rect = normalGeometry().isValid() ? normalGeometry() : geometry();
    placement.m_nX = rect.x();
    placement.m_nY = rect.y();
    placement.m_nWidth = rect.width();
    placement.m_nHeight = rect.height();
    placement.m_nCmdShow = isMaximized()   ? kShowMaximized
                           : isMinimized() ? kShowMinimized
                                           : kShowNormal;
    placement.m_nFlags = 0;
    placement.Save(*m_services.pStore);
}

void CMainFrame::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !isMinimized()) {
        return;
    }
    CSettings settings(*m_services.pStore);
    settings.Load();
    if (settings.m_bMinimizeToTray != 0 && QSystemTrayIcon::isSystemTrayAvailable()) {
        QTimer::singleShot(0, this, [this] {
            hide();
            m_pTray->show();
        });
    }
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void CMainFrame::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    event->acceptProposedAction();
    for (const QUrl& url : urls) {
        if (url.isLocalFile()) {
            OpenFile(url.toLocalFile().toStdString());
        }
    }
}

IShellPrompt& CMainFrame::GetPrompt() {
    return *m_services.pPrompt;
}

// ---- Playlists bar ----

void CMainFrame::BuildPlaylistsBar() {
    CViewSelectDlgBar::Callbacks callbacks;
    auto entryOf = [this](const void* view) -> Entry* {
        for (const auto& entry : m_entries) {
            if (entry->pFrame == view) {
                return entry.get();
            }
        }
        return nullptr;
    };
    callbacks.activate = [this, entryOf](const void* view) {
        if (Entry* entry = entryOf(view)) {
            m_pMdi->setActiveSubWindow(entry->pFrame);
        }
    };
    callbacks.tooltip = [entryOf](const void* view) {
        Entry* entry = entryOf(view);
        if (entry == nullptr) {
            return QString();
        }
        const CMixorel2001Doc& doc = entry->pPlaylist->GetDoc();
        const long songs = doc.GetCount() - static_cast<long>(doc.GetRegionList().size());
        return Q(CPlaylistsBarEntries::TooltipText(CPlaylistsBarEntries::NameFor(doc.GetTitle()),
                                                   doc.GetTotalSize(), doc.GetTotalTime(), songs));
    };
    // Songs dropped on an entry go after that playlist's last line.
    callbacks.songsDropped = [entryOf](const void* view) {
        if (Entry* entry = entryOf(view); entry != nullptr && entry->pFrame != nullptr) {
            entry->pFrame->GetView()->InsertFromClipboard(
                CPlaylistViewRules::kAtEndCode, IUserPrompt::kNone, false, true, false, true);
        }
    };
    callbacks.filesDropped = [this, entryOf](const void* view,
                                             const std::vector<std::string>& paths) {
        if (Entry* entry = entryOf(view)) {
            entry->pImporter->DropFiles(entry->pPlaylist->GetDoc().GetCount(), paths, &m_albums);
        }
    };
    callbacks.closeRequested = [this, entryOf](const void* view) {
        if (Entry* entry = entryOf(view)) {
            RequestClosePlaylist(*entry->pPlaylist);
        }
    };
    m_pPlaylistsBar = new CViewSelectDlgBar(std::move(callbacks), this);
    addDockWidget(Qt::BottomDockWidgetArea, m_pPlaylistsBar);
    CSettings settings(*m_services.pStore);
    settings.Load();
    m_pPlaylistsBar->SetIconStyle(settings.m_nListOfPlaylistsIcon);
}

void CMainFrame::SyncPlaylistsBar() {
    const CMixorel2001Doc* looping = nullptr;
    const CMixorel2001Doc* scheduled = nullptr;
    for (const auto& entry : m_entries) {
        const CMixorel2001Doc& doc = entry->pPlaylist->GetDoc();
        looping = looping == nullptr && doc.IsLooping() ? &doc : looping;
        scheduled = scheduled == nullptr && doc.IsScheduled() ? &doc : scheduled;
    }
    const CPlaylistsBarEntries& entries = m_pPlaylistsBar->Entries();
    for (const auto& entry : m_entries) {
        const CMixorel2001Doc& doc = entry->pPlaylist->GetDoc();
        const int index = entries.IndexOf(entry->pFrame);
        if (index < 0) {
            continue;
        }
        const std::uint32_t state = entries.GetEntry(index).nState;
        const std::pair<CPlaylistsBarEntries::State, bool> wanted[] = {
            {CPlaylistsBarEntries::kLooping, &doc == looping},
            {CPlaylistsBarEntries::kScheduled, &doc == scheduled},
            {CPlaylistsBarEntries::kLocked, doc.IsLocked()},
            {CPlaylistsBarEntries::kAlarm, !doc.GetAlarm().IsNull()}};
        for (const auto& [bit, on] : wanted) {
            if (((state & bit) != 0) != on) {
                m_pPlaylistsBar->SetState(entry->pFrame, bit, on);
            }
        }
    }
    m_pPlaylistsBar->RefreshNames([this](const void* view) {
        for (const auto& entry : m_entries) {
            if (entry->pFrame == view) {
                return entry->pPlaylist->GetDoc().GetTitle();
            }
        }
        return std::string();
    });
}

void CMainFrame::RefreshPlaylistsBar(CMixorel2001Doc& /*doc*/) {
    QMetaObject::invokeMethod(
        this, [this] { SyncPlaylistsBar(); }, Qt::QueuedConnection);
}

// Alt+0: from the bar back to the playlist, otherwise to the bar.
void CMainFrame::TogglePlaylistsBar() {
    if (m_pPlaylistsBar->isVisible() && m_pPlaylistsBar->GetList() != nullptr &&
        m_pPlaylistsBar->GetList()->hasFocus()) {
        m_pPlaylistsBar->hide();
        if (auto* frame = qobject_cast<CChildFrame*>(m_pMdi->activeSubWindow())) {
            frame->GetList()->setFocus();
        }
        return;
    }
    m_pPlaylistsBar->FocusList();
}

// ---- Options ----

bool CMainFrame::StoreColumnLayout() {
    auto* frame = qobject_cast<CChildFrame*>(m_pMdi->activeSubWindow());
    if (frame == nullptr) {
        return false;
    }
    const QHeaderView* header = frame->GetList()->horizontalHeader();
    CColumnLayoutSettings layout;
    for (int position = 0; position < CPlaylistColumns::kCount; ++position) {
        layout.m_anOrder.push_back(header->logicalIndex(position));
    }
    for (int column = 0; column < CPlaylistColumns::kCount; ++column) {
        layout.m_anSize.push_back(header->isSectionHidden(column) ? 0
                                                                  : header->sectionSize(column));
    }
    return layout.Save(*m_services.pStore);
}

void CMainFrame::ShowOptions() {
    COptionsDialog dialog(
        *m_services.pPrompt, *m_services.pStore, [this] { return StoreColumnLayout(); }, this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    if (m_services.pSettings != nullptr) {
        m_services.pSettings->Reload();
    }
    CSettings settings(*m_services.pStore);
    settings.Load();
    if (m_pPlayers != nullptr) {
        ApplyPlayerSettings(m_pPlayers->GetPlayer(), settings);
    }
    m_pPlaylistsBar->SetIconStyle(settings.m_nListOfPlaylistsIcon);
}

// ---- Printing ----

void CMainFrame::PrintActive(bool preview) {
    auto* frame = qobject_cast<CChildFrame*>(m_pMdi->activeSubWindow());
    if (frame == nullptr) {
        return;
    }
    const QString title = Q(frame->GetPlaylist().GetDoc().GetTitle());
    if (preview) {
        CListPrintCommand::Preview(*frame->GetList(), title, this);
    } else {
        CListPrintCommand::Print(*frame->GetList(), title, this);
    }
}

// ---- Tags and the Media Walker ----

// The tag editor for the selected songs, the line selected last first; every song whose
// file was written is read again at once.
void CMainFrame::EditTags(Entry& entry, const std::vector<std::string>& ids) {
    CMixorel2001Doc& doc = entry.pPlaylist->GetDoc();
    std::vector<std::string> paths;
    std::map<std::string, std::vector<std::string>> idsOfPath;
    std::string first;
    if (entry.pFrame != nullptr) {
        const QModelIndex current = entry.pFrame->GetList()->currentIndex();
        if (const CSong* song = current.isValid() ? doc.GetSongAt(current.row()) : nullptr) {
            first = song->GetId();
        }
    }
    std::vector<std::string> ordered = ids;
    if (const auto at = std::find(ordered.begin(), ordered.end(), first); at != ordered.end()) {
        std::rotate(ordered.begin(), at, at + 1);
    }
    for (const std::string& id : ordered) {
        const CSong* song = doc.FindById(id);
        if (song == nullptr || song->IsRegion()) {
            continue;
        }
        if (idsOfPath[song->GetLocation()].empty()) {
            paths.push_back(song->GetLocation());
        }
        idsOfPath[song->GetLocation()].push_back(id);
    }
    if (paths.empty()) {
        return;
    }
    CId3TagDialog dialog(*m_services.pPrompt, paths, this);
    if (!dialog.IsLoaded() || dialog.exec() != QDialog::Accepted) {
        return;
    }
    for (const std::string& path : dialog.SavedPaths()) {
        for (const std::string& id : idsOfPath[path]) {
            if (CSong* song = doc.FindById(id)) {
                doc.SetProcessed(*song, false);
                doc.ProcessSong(id);
            }
        }
    }
    doc.UpdateViews(-1);
    doc.SetModifiedFlag(true);
}

void CMainFrame::AutoTag(Entry& entry) {
    const std::vector<std::string> ids = SelectedIds(entry);
    if (ids.empty()) {
        return;
    }
    CAutoTagDialog dialog(*m_services.pPrompt, static_cast<long>(ids.size()), this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    CMixorel2001Doc& doc = entry.pPlaylist->GetDoc();
    long count = 0;
    {
        auto progress =
            CreateCopyProgress(std::string(CAutoTagRun::kProgressTitle) + " " + doc.GetTitle(), 1,
                               static_cast<int>(ids.size()));
        count = CAutoTagRun::Run(doc, ids, dialog.Pattern(), dialog.Defaults(), progress.get());
    }
    m_services.pPrompt->Ask(CAutoTagger::FinishedText(count), IShellPrompt::kOk,
                            IShellPrompt::kIconInformation);
}

void CMainFrame::MakeListOf(CMixorel2001Doc& source, const std::vector<std::string>& ids) {
    if (ids.empty() || !source.CopySongs(ids, false, false)) {
        return;
    }
    if (COpenPlaylist* made = NewPlaylist()) {
        IUserPrompt::DuplicateAnswer answer = IUserPrompt::kYesToAll;
        made->GetDoc().PasteSongs(CMixorel2001Doc::kAfterLast, nullptr, false, answer);
    }
}

void CMainFrame::OpenWalker(Entry& entry) {
    CMixorel2001Doc& doc = entry.pPlaylist->GetDoc();
    if (QPointer<CMediaWalkerWnd>& open = m_walkers[&doc]; !open.isNull()) {
        open->show();
        open->raise();
        open->activateWindow();
        return;
    }
    CMediaWalkerWnd::Callbacks callbacks;
    callbacks.play = [&doc](const std::string& id) {
        int index = -1;
        return doc.FindById(id, &index) != nullptr && doc.PlaySong(index, true, false);
    };
    callbacks.pause = [this] {
        if (m_pPlayers != nullptr) {
            m_pPlayers->GetPlayer().PauseResume();
        }
    };
    callbacks.stop = [this] {
        if (m_pPlayers != nullptr) {
            m_pPlayers->GetPlayer().Stop();
        }
    };
    callbacks.volume = [this, &doc](bool up) {
        if (Entry* owner = FindEntry(doc); owner != nullptr && owner->pFrame != nullptr) {
            owner->pFrame->StepVolume(up);
        }
    };
    callbacks.makeList = [this, &doc](const std::vector<std::string>& ids) {
        MakeListOf(doc, ids);
        return true;
    };
    callbacks.editTag = [this, &doc](const std::string& id) {
        Entry* owner = FindEntry(doc);
        if (owner == nullptr) {
            return false;
        }
        EditTags(*owner, {id});
        return true;
    };
    callbacks.statusText = [this] {
        std::string text;
        if (m_pPlayers != nullptr) {
            m_pPlayers->GetPlayer().GetStatusText(text);
        }
        return text;
    };
    m_walkers[&doc] = CMediaWalkerWnd::Open(doc, *m_services.pPrompt, std::move(callbacks), this);
}

// ---- Scheduler ----

void CMainFrame::SwitchScheduler(CMixorel2001Doc& doc) {
    bool elsewhere = false;
    for (const auto& entry : m_entries) {
        const CMixorel2001Doc& other = entry->pPlaylist->GetDoc();
        elsewhere = elsewhere || (&other != &doc && CScheduleListThread::IsScheduled(&other));
    }
    bool dated = false;
    for (const auto& [line, start] : doc.GetRegionStarts()) {
        dated = dated || !start.IsNull();
    }
    IShellPrompt& prompt = *m_services.pPrompt;
    const auto ask = [&prompt](const char* text) {
        return prompt.Ask(text, IShellPrompt::kYesNo, IShellPrompt::kIconQuestion) ==
               IUserPrompt::kAnswerYes;
    };
    switch (CSchedulerSwitch::Decide(CScheduleListThread::IsScheduled(&doc), elsewhere, dated)) {
    case CSchedulerSwitch::kAskStop:
        if (ask(CSchedulerSwitch::kStopText)) {
            CScheduleListThread::StopScheduler();
        }
        return;
    case CSchedulerSwitch::kTellNoRegion:
        prompt.Ask(CSchedulerSwitch::kNoRegionText, IShellPrompt::kOk,
                   IShellPrompt::kIconInformation);
        return;
    case CSchedulerSwitch::kAskReplace:
        if (!ask(CSchedulerSwitch::kReplaceText)) {
            return;
        }
        break;
    case CSchedulerSwitch::kStart:
        break;
    }
    CScheduleListThread::StartScheduler(&doc, ++m_nToken, CSystemLoopClock::Shared());
}

// "notifysongstart": the desktop's notification service names the song that starts, each
// notification replacing the one before.
void CMainFrame::NotifySongStart(const CNowPlaying& now) {
    CSettings settings(*m_services.pStore);
    settings.Load();
    if (settings.m_bNotifySongStart != 1) {
        return;
    }
    QDBusMessage notify = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    const QString body = now.strArtist.empty()
                             ? Q(now.strTitle)
                             : QStringLiteral("%1 - %2").arg(Q(now.strArtist), Q(now.strTitle));
    notify << QString::fromLatin1(kAppTitle) << m_nNotificationId << QStringLiteral("mixorel")
           << QStringLiteral("Now playing") << body << QStringList() << QVariantMap()
           << static_cast<qint32>(5000);
    QDBusConnection::sessionBus().callWithCallback(notify, this, SLOT(OnNotified(uint)));
}

void CMainFrame::OnNotified(uint id) {
    m_nNotificationId = id;
}

// ---- The playlist view's needs ----

CPlayer* CMainFrame::GetActivePlayer() {
    return m_pPlayers != nullptr ? &m_pPlayers->GetPlayer() : nullptr;
}

CSettings CMainFrame::GetSettings() const {
    return m_services.pSettings->Get();
}

bool CMainFrame::HasSongClipboardData() {
    std::vector<std::uint8_t> bytes;
    return m_services.pClipboard != nullptr &&
           m_services.pClipboard->GetData(ISongClipboard::kSongFormat, bytes) && !bytes.empty();
}

// The bar's entry with the looping state, brought up to date first.
CChildFrame* CMainFrame::FindLoopingFrame() {
    SyncPlaylistsBar();
    return static_cast<CChildFrame*>(const_cast<void*>(m_pPlaylistsBar->FindLooping()));
}

CChildFrame* CMainFrame::FindScheduledFrame() {
    for (const auto& entry : m_entries) {
        if (CScheduleListThread::IsScheduled(&entry->pPlaylist->GetDoc())) {
            return entry->pFrame;
        }
    }
    return nullptr;
}

bool CMainFrame::DropFilesOn(COpenPlaylist& playlist, int line,
                             const std::vector<std::string>& paths) {
    Entry* entry = FindEntry(playlist.GetDoc());
    return entry != nullptr && entry->pImporter->DropFiles(line, paths, &m_albums);
}

void CMainFrame::RefreshRegionsPanel() {
    m_pRegionsPanel->Refresh();
}

void CMainFrame::ShowSeekPanel() {
    TogglePanel(m_pSeek);
}

// The active playlist window's transport commands. The keys belong to the window's list
// (so that each window answers its own); the items only name them.
QMenu* CMainFrame::BuildPlayMenu() {
    QMenu* play = menuBar()->addMenu(QStringLiteral("&Play"));
    const int items[] = {
        CMixorel2001View::kPlay,     CMixorel2001View::kNext,      CMixorel2001View::kPause,
        CMixorel2001View::kStop,     CMixorel2001View::kLoop,      CMixorel2001View::kLoopStop,
        CMixorel2001View::kFadeStop, CMixorel2001View::kFadeNext,  CMixorel2001View::kSetNext,
        CMixorel2001View::kSetLast,  CMixorel2001View::kSongTimer, CMixorel2001View::kLock};
    for (const int id : items) {
        QAction* action =
            play->addAction(QString::fromLatin1(CMixorel2001View::CommandMenuText(id)));
        connect(action, &QAction::triggered, this,
                [this, id] { OnActive([id](Entry& e) { e.pFrame->GetView()->RunCommand(id); }); });
        m_enablers.emplace_back(action, [this, id] {
            COpenPlaylist* active = GetActivePlaylist();
            CChildFrame* frame = active != nullptr ? FindFrame(*active) : nullptr;
            return frame != nullptr && frame->GetView()->IsCommandEnabled(id);
        });
    }
    return play;
}
