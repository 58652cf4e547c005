// The menu bar: the menus and their commands, built in order; the items' enabling when a
// menu opens; the recent albums; the Play menu of the active list's transport commands.

#include "ui/shell/CMainFrame.h"

#include "catalogue/CHtmlListWriter.h"
#include "catalogue/CListFilter.h"
#include "catalogue/CM3uReader.h"
#include "catalogue/CMigrator.h"
#include "playback/CScheduleListThread.h"
#include "settings/SettingsKeys.h"
#include "ui/bar/CViewSelectDlgBar.h"
#include "ui/playlist/CAlarmDialog.h"
#include "ui/playlist/CChildFrame.h"
#include "ui/playlist/CFindPanel.h"
#include "ui/playlist/CListPrintCommand.h"
#include "ui/playlist/CMixorel2001View.h"
#include "ui/playlist/CRegionsPanel.h"
#include "ui/playlist/CSeekPanel.h"
#include "ui/prompts/CSessionPrompt.h"
#include "ui/shell/CMainFrameEntry.h"
#include "ui/shell/COpenPlaylist.h"
#include "ui/tags/CTagCommands.h"
#include "ui/toolkit/CThemeIcon.h"
#include "ui/toolkit/StdToQString.h"

#include <QAction>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <algorithm>
#include <string_view>

namespace {

// Recent albums and playlists are shown to this many characters.
constexpr int kRecentDisplayLength = SettingsKeys::kProjectMruDisplayLength;

} // namespace

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
        if (prompt.ChooseOpenFile("Open", kOpenFilter, path)) {
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
    m_recentPlaylists.Load(*m_services.pStore);
    m_pRecentPlaylistsMenu = file->addMenu(QStringLiteral("Recent Pla&ylists"));
    connect(m_pRecentPlaylistsMenu, &QMenu::aboutToShow, this, &CMainFrame::FillRecentPlaylists);
    m_pRecentMenu = file->addMenu(QStringLiteral("Recent &Albums"));
    connect(m_pRecentMenu, &QMenu::aboutToShow, this, &CMainFrame::FillRecentAlbums);
    file->addSeparator();
    needsActive(AddCommand(file, "Create &HTML song list...", onActive([this, &prompt](Entry& e) {
                               CHtmlListWriter::Export(e.pPlaylist->GetDoc(), *this, prompt);
                           })));
    file->addSeparator();
    needsActive(AddCommand(file, CListPrintCommand::kPrintText, [this] { PrintActive(false); }));
    needsActive(AddCommand(file, CListPrintCommand::kPreviewText, [this] { PrintActive(true); }));
    AddCommand(file, "P&rint Setup...", [this] { PrintSetup(); });
    file->addSeparator();
    AddCommand(file, "E&xit", [this] { close(); });
    auto* quick = new QAction(this);
    quick->setShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+Shift+Q")));
    connect(quick, &QAction::triggered, this, &CMainFrame::QuickClose);
    addAction(quick);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    for (const int id : std::initializer_list<int>{
             CMixorel2001View::kCut, CMixorel2001View::kCopy, CMixorel2001View::kPaste,
             CMixorel2001View::kCopyForExplorer, CMixorel2001View::kDelete, 0,
             CMixorel2001View::kMoveUp, CMixorel2001View::kMoveDown, CMixorel2001View::kMoveToTop,
             CMixorel2001View::kMoveToBottom, CMixorel2001View::kFastMoveDown,
             CMixorel2001View::kFastMoveUp, 0, CMixorel2001View::kEditLocation,
             CMixorel2001View::kSelectAll}) {
        if (id == 0) {
            edit->addSeparator();
        } else {
            AddViewCommand(edit, id);
        }
    }

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
    AddTagCommands(list);
    needsActive(
        AddCommand(list, "Media &walker\tCtrl+W", onActive([this](Entry& e) { OpenWalker(e); })));

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
    AddViewCommand(view, CMixorel2001View::kSeek);
    AddCommand(view, "&View panel...\tCtrl+R", [this] {
        m_pRegionsPanel->Refresh();
        TogglePanel(m_pRegionsPanel);
    });

    AddCommand(view, "&Playlists\tAlt+0", [this] { TogglePlaylistsBar(); });

    QMenu* tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    AddCommand(tools, "&Options...", [this] { ShowOptions(); });

    QMenu* window = menuBar()->addMenu(QStringLiteral("&Window"));
    AddCommand(window, "&Cascade", [this] { m_pMdi->cascadeSubWindows(); });
    AddCommand(window, "&Tile", [this] { TileHorizontally(); });
    needsActive(AddCommand(window, "Close &All", [this] { CloseRemaining(false); }));
    // The playlists bar's next and previous entry. X delivers Ctrl+Alt+Shift+Tab as Backtab
    // with Ctrl+Alt (Shift spent on the key); a second sequence matching the same press
    // would make the shortcut ambiguous, and Qt would fire nothing.
    const std::pair<bool, const char*> steps[] = {{true, "Ctrl+Alt+Tab"},
                                                  {false, "Ctrl+Alt+Backtab"}};
    for (const auto& [forward, key] : steps) {
        auto* step = new QAction(this);
        step->setShortcut(QKeySequence(QString::fromLatin1(key)));
        connect(step, &QAction::triggered, this,
                [this, forward = forward] { m_pPlaylistsBar->SelectNext(forward); });
        addAction(step);
    }

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    AddCommand(help, "&Help Topics\tF1", [this] { ShowHelp(); });
    help->addSeparator();
    AddCommand(help, "&About Mixorel...", [this] { ShowAbout(); });

    for (QMenu* menu : {file, edit, import, list, play, regions, view, window}) {
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::RefreshMenus);
        connect(menu, &QMenu::aboutToHide, this, &CMainFrame::EnableKeys);
    }
    BuildPlaylistsBarMenu();
}

// Out of a menu the keys stay live: what they run checks for itself whether it may run,
// at the moment the key is pressed.
void CMainFrame::EnableKeys() {
    for (auto& [action, enabled] : m_enablers) {
        if (!action->shortcut().isEmpty()) {
            action->setEnabled(true);
        }
    }
}

QAction* CMainFrame::FindMenuAction(const QString& text) {
    for (QMenu* menu : menuBar()->findChildren<QMenu*>()) {
        for (QAction* action : menu->actions()) {
            if (action->text() == text) {
                return action;
            }
        }
    }
    return nullptr;
}

// The main toolbar: the menus' own items with the desktop's icons. It docks and floats
// like the bars, and its place is kept with theirs ("qmx2001barstate").
void CMainFrame::BuildToolBar() {
    struct Button {
        const char* text; // the menu item's
        const char* icon;
        QStyle::StandardPixmap fallback;
    };
    static constexpr Button kButtons[] = {
        {"&New", "document-new", QStyle::SP_FileIcon},
        {"&Open...", "document-open", QStyle::SP_DialogOpenButton},
        {"&Save", "document-save", QStyle::SP_DialogSaveButton},
        {nullptr, nullptr, QStyle::SP_CustomBase},
        {"&Print...", "document-print", QStyle::SP_FileDialogDetailedView},
        {nullptr, nullptr, QStyle::SP_CustomBase},
        {"Find", "edit-find", QStyle::SP_FileDialogContentsView},
        {"Media &walker", "view-list-tree", QStyle::SP_DirOpenIcon},
        {"Edit &ID3 tag...", "document-properties", QStyle::SP_FileDialogInfoView},
        {nullptr, nullptr, QStyle::SP_CustomBase},
        {"&Options...", "preferences-system", QStyle::SP_ComputerIcon},
        {"&Help Topics", "help-contents", QStyle::SP_DialogHelpButton},
    };
    QToolBar* bar = addToolBar(QStringLiteral("Toolbar"));
    bar->setObjectName(QStringLiteral("MainToolBar"));
    bar->setIconSize(QSize(16, 16));
    for (const Button& button : kButtons) {
        if (button.text == nullptr) {
            bar->addSeparator();
            continue;
        }
        if (QAction* action = FindMenuAction(QString::fromLatin1(button.text))) {
            action->setIcon(CThemeIcon::Get(button.icon, button.fallback));
            QString tip = action->text().remove(QLatin1Char('&'));
            if (!action->shortcut().isEmpty()) {
                tip += QStringLiteral(" (%1)").arg(action->shortcut().toString());
            }
            action->setToolTip(tip);
            bar->addAction(action);
        }
    }
}

// The playlists bar's menu: the main window's own items, for the entry under the pointer.
void CMainFrame::BuildPlaylistsBarMenu() {
    m_pBarMenu = new QMenu(this);
    const char* const items[] = {
        "&New",  "&Open...",          "&Close",        "&Save",    "Save &As...",
        nullptr, "Sc&heduler on/off", "Set A&larm...", "Loc&k...", "Media &tree"};
    for (const char* text : items) {
        if (text == nullptr) {
            m_pBarMenu->addSeparator();
            continue;
        }
        if (std::string_view(text) == "Media &tree") {
            // The walker under the bar's own text; the key stays on the List menu's item.
            QAction* walker = FindMenuAction(QStringLiteral("Media &walker"));
            QAction* tree = m_pBarMenu->addAction(QStringLiteral("Media &tree\tCtrl+W"));
            connect(tree, &QAction::triggered, walker, &QAction::trigger);
            m_enablers.emplace_back(tree, [this] { return GetActivePlaylist() != nullptr; });
            continue;
        }
        if (std::string_view(text) == "Loc&k...") {
            // The Play menu's "L&ock..." under the bar's own text.
            QAction* lock = m_pBarMenu->addAction(QString::fromLatin1(text));
            lock->setCheckable(true);
            connect(lock, &QAction::triggered, this, [this] {
                OnActive(
                    [](Entry& e) { e.pFrame->GetView()->RunCommand(CMixorel2001View::kLock); });
            });
            m_enablers.emplace_back(lock, [this, lock] {
                COpenPlaylist* active = GetActivePlaylist();
                lock->setChecked(active != nullptr && active->GetDoc().IsLocked());
                return active != nullptr;
            });
            continue;
        }
        if (QAction* found = FindMenuAction(QString::fromLatin1(text))) {
            m_pBarMenu->addAction(found);
        }
    }
    connect(m_pBarMenu, &QMenu::aboutToShow, this, &CMainFrame::RefreshMenus);
    connect(m_pBarMenu, &QMenu::aboutToHide, this, &CMainFrame::EnableKeys);
}

// A command of the active playlist's list, with its key on the main window: the key works
// wherever the focus is inside the window, and one action per key is never ambiguous.
QAction* CMainFrame::AddViewCommand(QMenu* menu, int id) {
    QAction* action = AddCommand(menu, CMixorel2001View::CommandMenuText(id), [this, id] {
        OnActive([id](Entry& e) {
            if (e.pFrame != nullptr) {
                e.pFrame->GetView()->RunCommand(id);
            }
        });
    });
    // "L&ock..." carries a check mark while the list is locked.
    action->setCheckable(id == CMixorel2001View::kLock);
    m_enablers.emplace_back(action, [this, id, action] {
        COpenPlaylist* active = GetActivePlaylist();
        CChildFrame* frame = active != nullptr ? FindFrame(*active) : nullptr;
        action->setChecked(action->isCheckable() && active != nullptr &&
                           active->GetDoc().IsLocked());
        return frame != nullptr && frame->GetView()->IsCommandEnabled(id);
    });
    return action;
}

// The tag commands act only when they can; their keys reach them whatever the menu last
// showed (its enabling is refreshed only when it opens), so each checks again.
void CMainFrame::AddTagCommands(QMenu* list) {
    const auto activeView = [this]() -> CMixorel2001View* {
        COpenPlaylist* active = GetActivePlaylist();
        CChildFrame* frame = active != nullptr ? FindFrame(*active) : nullptr;
        return frame != nullptr ? frame->GetView() : nullptr;
    };
    QAction* edit = AddCommand(list, CTagCommands::kEditText, [this, activeView] {
        CMixorel2001View* view = activeView();
        if (view != nullptr && CTagCommands::CanEdit(*view)) {
            OnActive([this](Entry& e) { EditTags(e, SelectedIds(e)); });
        }
    });
    QAction* autoTag = AddCommand(list, CTagCommands::kAutoTagText, [this, activeView] {
        CMixorel2001View* view = activeView();
        if (view != nullptr && CTagCommands::CanAutoTag(*view)) {
            OnActive([this](Entry& e) { AutoTag(e); });
        }
    });
    m_enablers.emplace_back(edit, [activeView] {
        CMixorel2001View* view = activeView();
        return view != nullptr && CTagCommands::CanEdit(*view);
    });
    m_enablers.emplace_back(autoTag, [activeView] {
        const CMixorel2001View* view = activeView();
        return view != nullptr && CTagCommands::CanAutoTag(*view);
    });
}

void CMainFrame::RefreshMenus() {
    for (auto& [action, enabled] : m_enablers) {
        action->setEnabled(enabled());
    }
    m_pShutdownAtEnd->setChecked(CMixorel2001Doc::IsShutdownAtEnd());
    m_pRecentMenu->setEnabled(!m_albums.GetRecentAlbums().empty());
    m_pRecentPlaylistsMenu->setEnabled(!m_recentPlaylists.m_astrPaths.empty());
}

void CMainFrame::FillRecentAlbums() {
    m_pRecentMenu->clear();
    int number = 1;
    for (const std::string& path : m_albums.GetRecentAlbums()) {
        QAction* action = m_pRecentMenu->addAction(
            QStringLiteral("&%1 %2").arg(number++).arg(Q(path).left(kRecentDisplayLength)));
        connect(action, &QAction::triggered, this, [this, path] {
            if (m_albums.OpenAlbum(path, false)) {
                m_bAlbumModified = false;
            }
        });
    }
}

void CMainFrame::FillRecentPlaylists() {
    m_pRecentPlaylistsMenu->clear();
    int number = 1;
    for (const std::string& path : m_recentPlaylists.m_astrPaths) {
        QAction* action = m_pRecentPlaylistsMenu->addAction(
            QStringLiteral("&%1 %2").arg(number++).arg(Q(path).left(kRecentDisplayLength)));
        connect(action, &QAction::triggered, this, [this, path] {
            if (!OpenPlaylist(path)) {
                // The framework drops an entry it cannot open.
                m_recentPlaylists.Remove(path);
                m_recentPlaylists.Save(*m_services.pStore);
            }
        });
    }
}

void CMainFrame::AddRecentPlaylist(const std::string& path) {
    m_recentPlaylists.Add(path);
    m_recentPlaylists.Save(*m_services.pStore);
}

// The active playlist window's transport commands, with their keys.
QMenu* CMainFrame::BuildPlayMenu() {
    QMenu* play = menuBar()->addMenu(QStringLiteral("&Play"));
    const int items[] = {
        CMixorel2001View::kPlay,     CMixorel2001View::kNext,      CMixorel2001View::kPause,
        CMixorel2001View::kStop,     CMixorel2001View::kLoop,      CMixorel2001View::kLoopStop,
        CMixorel2001View::kFadeStop, CMixorel2001View::kFadeNext,  CMixorel2001View::kSetNext,
        CMixorel2001View::kSetLast,  CMixorel2001View::kSongTimer, CMixorel2001View::kLock};
    for (const int id : items) {
        AddViewCommand(play, id);
    }
    return play;
}
