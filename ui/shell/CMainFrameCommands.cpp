// The main window's own commands: the next song's view, the first-run import, the log file,
// help and about, options, printing, tag editing, the Media Walker and the scheduler switch.

#include "ui/shell/CMainFrame.h"

#include "catalogue/CAutoTagRun.h"
#include "catalogue/CMixorel2001Doc.h"
#include "catalogue/CPlaylistColumns.h"
#include "media/CAutoTagger.h"
#include "playback/ApplyPlayerSettings.h"
#include "playback/CPlayer.h"
#include "playback/CScheduleListThread.h"
#include "playback/CSchedulerSwitch.h"
#include "playback/CSystemLoopClock.h"
#include "settings/CSharedSettings.h"
#include "ui/bar/CViewSelectDlgBar.h"
#include "ui/bar/CViewSelectListCtrl.h"
#include "ui/options/COptionsDialog.h"
#include "ui/playlist/CChildFrame.h"
#include "ui/playlist/CListPrintCommand.h"
#include "ui/playlist/CMixorel2001View.h"
#include "ui/prompts/CSessionPrompt.h"
#include "ui/shell/CMainFrameEntry.h"
#include "ui/shell/CManual.h"
#include "ui/shell/COpenPlaylist.h"
#include "ui/shell/CPlayerHub.h"
#include "ui/tags/CAutoTagDialog.h"
#include "ui/tags/CId3TagDialog.h"
#include "ui/toolkit/CListFont.h"
#include "ui/toolkit/StdToQString.h"
#include "ui/walker/CMediaWalkerWnd.h"

#include <QApplication>
#include <QDesktopServices>
#include <QHeaderView>
#include <QMdiArea>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QTableView>
#include <QUrl>
#include <algorithm>
#include <map>

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

void CMainFrame::ImportFolderWithSubfolders() {
    OnActive([](Entry& e) { e.pImporter->OnImportFolderWithSubfolders(); });
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

// ---- Options ----

bool CMainFrame::StoreColumnLayout() {
    auto* frame = qobject_cast<CChildFrame*>(m_pMdi->activeSubWindow());
    if (frame == nullptr) {
        return false;
    }
    return frame->StoreColumns(*m_services.pStore);
}

void CMainFrame::ShowOptions(int page) {
    COptionsDialog dialog(
        *m_services.pPrompt, *m_services.pStore, [this] { return StoreColumnLayout(); }, this);
    if (page >= 0) {
        dialog.ShowPage(page);
    }
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
    ApplyListFonts();
}

void CMainFrame::ApplyListFonts() {
    CSettings settings(*m_services.pStore);
    settings.Load();
    const QFont font =
        CListFont::Make(settings.m_strListViewFontName, settings.m_nListViewFontSize);
    m_pPlaylistsBar->SetListFont(font);
    for (const auto& entry : m_entries) {
        if (entry->pFrame != nullptr) {
            entry->pFrame->SetListFont(font);
        }
    }
}

// ---- Printing ----

void CMainFrame::PrintActive(bool preview) {
    auto* frame = qobject_cast<CChildFrame*>(m_pMdi->activeSubWindow());
    if (frame == nullptr) {
        return;
    }
    const QString title = Q(frame->GetPlaylist().GetDisplayName());
    if (preview) {
        CListPrintCommand::Preview(*frame->GetList(), title, GetPrinter(), this);
    } else {
        CListPrintCommand::Print(*frame->GetList(), title, GetPrinter(), this);
    }
}

QPrinter& CMainFrame::GetPrinter() {
    if (m_pPrinter == nullptr) {
        m_pPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
    }
    return *m_pPrinter;
}

void CMainFrame::PrintSetup() {
    QPageSetupDialog dialog(&GetPrinter(), this);
    dialog.exec();
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
    m_services.pPrompt->Ask(CAutoTagger::FinishedText(count), IShellPrompt::kOkCancel,
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
    callbacks.listCommand = [this, &doc](int command, const std::string& markId,
                                         const std::vector<std::string>& ids) {
        if (Entry* owner = FindEntry(doc); owner != nullptr && owner->pFrame != nullptr) {
            owner->pFrame->GetView()->RunCommandOn(command, markId, ids);
        }
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
