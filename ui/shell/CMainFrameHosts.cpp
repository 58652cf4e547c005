// What the album, the list commands and the playlist exchange ask of the main window: files
// and folders to choose, questions, progress windows and the caption.

#include "ui/shell/CMainFrame.h"

#include "ui/prompts/CQtImportProgress.h"
#include "ui/prompts/CQtImportUi.h"
#include "ui/prompts/CSessionPrompt.h"
#include "ui/shell/CMainFrameEntry.h"
#include "ui/toolkit/StdToQString.h"

#include <QDesktopServices>
#include <QInputDialog>
#include <QMessageBox>
#include <QUrl>

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
