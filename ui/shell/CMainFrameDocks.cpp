// The docked panels (Find, Seek, Regions) and the playlists bar: built, shown and hidden,
// and kept in step with the active playlist window.

#include "ui/shell/CMainFrame.h"

#include "catalogue/CMixorel2001Doc.h"
#include "catalogue/CPlaylistsBarEntries.h"
#include "ui/bar/CViewSelectDlgBar.h"
#include "ui/bar/CViewSelectListCtrl.h"
#include "ui/playlist/CChildFrame.h"
#include "ui/playlist/CFindPanel.h"
#include "ui/playlist/CMixorel2001View.h"
#include "ui/playlist/CPlaylistViewRules.h"
#include "ui/playlist/CRegionsPanel.h"
#include "ui/playlist/CSeekPanel.h"
#include "ui/prompts/CSessionPrompt.h"
#include "ui/shell/CMainFrameEntry.h"
#include "ui/shell/COpenPlaylist.h"
#include "ui/toolkit/CListFont.h"
#include "ui/toolkit/StdToQString.h"

#include <QApplication>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTableView>
#include <QTimer>
#include <algorithm>

void CMainFrame::BuildPanels() {
    m_pFind = new CFindPanel(this);
    addDockWidget(Qt::TopDockWidgetArea, m_pFind);
    m_pFind->hide();
    connect(m_pFind, &CFindPanel::FindNext, this, &CMainFrame::FindNext);
    m_pSeek = new CSeekPanel(this);
    addDockWidget(Qt::BottomDockWidgetArea, m_pSeek);
    // A small tool window of its own; the user may still dock it.
    m_pSeek->setFloating(true);
    m_pSeek->resize(m_pSeek->sizeHint());
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

void CMainFrame::ToggleFindPanel() {
    TogglePanel(m_pFind);
}

void CMainFrame::ToggleSeekPanel() {
    const bool showing =
        !m_pSeek->isVisible() || !m_pSeek->isAncestorOf(QApplication::focusWidget());
    auto* frame = qobject_cast<CChildFrame*>(m_pMdi->activeSubWindow());
    if (showing && m_pSeek->isFloating() && frame != nullptr) {
        const QRect playlist(frame->mapToGlobal(QPoint(0, 0)), frame->size());
        const QScreen* screen = this->screen();
        const QRect available =
            screen != nullptr ? screen->availableGeometry() : QRect(QPoint(0, 0), size());
        const int menuBottom = menuBar()->mapToGlobal(QPoint(0, menuBar()->height())).y() - 1;
        QSize size = m_pSeek->size().expandedTo(m_pSeek->sizeHint());
        size.setWidth(std::min(size.width(), available.width()));
        m_pSeek->resize(size);
        m_pSeek->move(CSeekPanel::PlaceBeside(playlist, m_pSeek->frameGeometry().size(), available,
                                              menuBottom));
    }
    TogglePanel(m_pSeek);
}

void CMainFrame::RefreshRegionsPanel() {
    m_pRegionsPanel->Refresh();
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
    // The menu's commands go to the playlist under the pointer, made the active one first.
    callbacks.contextMenu = [this, entryOf](const void* view, const QPoint& global) {
        if (Entry* entry = entryOf(view); entry != nullptr && entry->pFrame != nullptr) {
            m_pMdi->setActiveSubWindow(entry->pFrame);
        }
        m_pBarMenu->exec(global);
    };
    callbacks.leaveBar = [this] { TogglePlaylistsBar(); };
    m_pPlaylistsBar = new CViewSelectDlgBar(std::move(callbacks), this);
    addDockWidget(Qt::BottomDockWidgetArea, m_pPlaylistsBar);
    CSettings settings(*m_services.pStore);
    settings.Load();
    m_pPlaylistsBar->SetIconStyle(settings.m_nListOfPlaylistsIcon);
    m_pPlaylistsBar->SetListFont(
        CListFont::Make(settings.m_strListViewFontName, settings.m_nListViewFontSize));
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
