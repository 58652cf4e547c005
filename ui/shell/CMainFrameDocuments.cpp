// The open playlists: each one's entry, its window and its end; the document host; and what
// the playlist views ask of the main window.

#include "ui/shell/CMainFrame.h"

#include "catalogue/CMixorel2001Doc.h"
#include "catalogue/ISongClipboard.h"
#include "playback/ApplyPlayerSettings.h"
#include "playback/CPlayer.h"
#include "playback/CScheduleListThread.h"
#include "settings/CSharedSettings.h"
#include "ui/bar/CViewSelectDlgBar.h"
#include "ui/playlist/CChildFrame.h"
#include "ui/playlist/CRegionsPanel.h"
#include "ui/prompts/CQtImportUi.h"
#include "ui/prompts/CSessionPrompt.h"
#include "ui/shell/CMainFrameEntry.h"
#include "ui/shell/COpenPlaylist.h"
#include "ui/shell/CPlayerHub.h"
#include "ui/shell/CWindowArrangement.h"
#include "ui/walker/CMediaWalkerWnd.h"

#include <QItemSelectionModel>
#include <QMdiArea>
#include <QString>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <mutex>
#include <utility>

namespace {

constexpr int kUnshownCascadeSteps = 6;

bool EndsWithNoCase(const std::string& text, const char* tail) {
    const std::size_t length = std::char_traits<char>::length(tail);
    return text.size() >= length && QString::fromStdString(text.substr(text.size() - length))
                                            .compare(QLatin1String(tail), Qt::CaseInsensitive) == 0;
}

} // namespace

CMainFrame::Entry* CMainFrame::AddEntry(const std::string& title) {
    if (m_pPlayers == nullptr) {
        return nullptr;
    }
    auto entry = std::make_unique<Entry>();
    entry->pPlaylist = std::make_unique<COpenPlaylist>(*m_services.pPrompt);
    entry->pPlaylist->SetPathListener([this](const std::string& path) { AddRecentPlaylist(path); });
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

// A new playlist window: maximized when "maximizechild" is set and no other playlist window
// is active (the first one), otherwise 560 by 350 at the next cascade place; tiled with the
// others when "rearrangeonnew" is set and nothing is maximized.
void CMainFrame::ApplyChildRules(QMdiSubWindow* window) {
    CSettings settings(*m_services.pStore);
    settings.Load();
    // The window last active counts while the main window is in the background too.
    QMdiSubWindow* active = m_pMdi->currentSubWindow();
    if (active == window) {
        active = nullptr;
    }
    const bool maximize = settings.m_bMaximizeChild == 1 && active == nullptr;
    if (maximize) {
        window->showMaximized();
    } else {
        int open = 0;
        for (QMdiSubWindow* other : m_pMdi->subWindowList()) {
            open += other != window && !other->isHidden() && !other->isMinimized() ? 1 : 0;
        }
        const int step =
            window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window) +
            window->style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, window);
        // Before the main window is first shown its area has no size yet: room for a few
        // steps is assumed.
        const QSize area =
            m_pMdi->isVisible()
                ? m_pMdi->viewport()->size()
                : window->size() + QSize(kUnshownCascadeSteps * step, kUnshownCascadeSteps * step);
        window->move(CWindowArrangement::CascadePosition(open, area, window->size(), step));
        window->show();
    }
    if (settings.m_bRearrangeOnNew == 1 && !maximize &&
        (active == nullptr || !active->isMaximized())) {
        QTimer::singleShot(0, this, &CMainFrame::TileHorizontally);
    }
}

void CMainFrame::TileHorizontally() {
    // Before the main window shows, its area has no real size yet: tile once it has.
    if (!isVisible()) {
        m_bTileWhenShown = true;
        return;
    }
    std::vector<QMdiSubWindow*> windows;
    for (QMdiSubWindow* window : m_pMdi->subWindowList(QMdiArea::CreationOrder)) {
        if (!window->isHidden() && !window->isMinimized()) {
            windows.push_back(window);
        }
    }
    const std::vector<QRect> places = CWindowArrangement::TileHorizontally(
        m_pMdi->viewport()->size(), static_cast<int>(windows.size()));
    for (std::size_t i = 0; i < windows.size(); ++i) {
        if (windows[i]->isMaximized()) {
            windows[i]->showNormal();
        }
        windows[i]->setGeometry(places[i]);
    }
}

void CMainFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (std::exchange(m_bTileWhenShown, false)) {
        QTimer::singleShot(0, this, &CMainFrame::TileHorizontally);
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
            QTimer::singleShot(0, this, &CMainFrame::TileHorizontally);
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
