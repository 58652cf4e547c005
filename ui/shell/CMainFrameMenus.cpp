// The menu bar: the menus and their commands, built in order; the items' enabling when a
// menu opens; the recent albums; the Play menu of the active list's transport commands.

#include "ui/shell/CMainFrame.h"

#include "catalogue/CHtmlListWriter.h"
#include "catalogue/CListFilter.h"
#include "catalogue/CM3uReader.h"
#include "catalogue/CMigrator.h"
#include "playback/CScheduleListThread.h"
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
#include "ui/toolkit/StdToQString.h"

#include <QAction>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <algorithm>

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
    AddTagCommands(list);
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
    connect(list, &QMenu::aboutToHide, this, [edit, autoTag] {
        edit->setEnabled(true);
        autoTag->setEnabled(true);
    });
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
