// List editing: the lock's refusal, the clipboard's songs into the list, fast moves, removing
// lines, and deleting (to the trash) and copying song files.

#include "ui/playlist/CMixorel2001View.h"

#include "catalogue/CMixorel2001Doc.h"
#include "catalogue/CSong.h"
#include "catalogue/CSongFileCopy.h"
#include "ui/playlist/CPlaylistModel.h"
#include "ui/prompts/IShellPrompt.h"
#include "ui/shell/CMainFrame.h"
#include "ui/shell/COpenPlaylist.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <mutex>

namespace {

using Rules = CPlaylistViewRules;

} // namespace

bool CMixorel2001View::RefuseWhenLocked() {
    if (!GetDoc().IsLocked()) {
        return false;
    }
    m_prompt.Message(kLockedText);
    return true;
}

bool CMixorel2001View::InsertFromClipboard(int code, IUserPrompt::DuplicateAnswer answer,
                                           bool useSelection, bool selectInserted,
                                           bool removeSelection, bool drag) {
    CMixorel2001Doc& doc = GetDoc();
    if (removeSelection && RefuseWhenLocked()) {
        return false;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    int loopPosition = 0;
    if (code == Rules::kNextToPlayCode) {
        doc.NextIndex(false, CMixorel2001Doc::kLoopMode, loopPosition);
    }
    const std::vector<std::string> selected =
        removeSelection ? GetSelectedIds() : std::vector<std::string>();
    const int after = Rules::InsertAfter(code, loopPosition, useSelection, GetSelectionMark());
    std::vector<std::string> inserted;
    std::vector<std::size_t> taken;
    bool ok = doc.PasteSongs(after, &inserted, drag, answer, &taken);
    if (drag) {
        NoteDropTaken(taken);
    }
    if (ok && removeSelection) {
        ok = doc.RemoveSongs(selected);
    }
    m_pModel->RefreshNow();
    if (ok && selectInserted) {
        SelectLines(inserted);
    }
    QApplication::restoreOverrideCursor();
    return ok;
}

void CMixorel2001View::FastMove(bool down) {
    // The move inserts first and removes after: a locked list must refuse it up front.
    if (RefuseWhenLocked()) {
        return;
    }
    const CSettings settings = m_main.GetSettings();
    const int mark = GetSelectionMark();
    if (!GetDoc().CopySongs(GetSelectedIds(), false, false)) {
        return;
    }
    const int after = down ? Rules::FastMoveDownAfter(mark, settings.m_nFastMoveDown)
                           : Rules::FastMoveUpAfter(mark, settings.m_nFastMoveUp);
    InsertFromClipboard(after, IUserPrompt::kYesToAll, false, true, true);
}

void CMixorel2001View::DeleteSelection() {
    if (RefuseWhenLocked()) {
        return;
    }
    if (m_prompt.Ask(kRemoveQuestion, IShellPrompt::kYesNo, IShellPrompt::kIconQuestion) !=
        IUserPrompt::kAnswerYes) {
        return;
    }
    const int mark = GetSelectionMark();
    if (GetDoc().RemoveSongs(GetSelectedIds())) {
        SelectLine(Rules::LineAfterDelete(mark, GetDoc().GetCount()));
    }
}

// The file goes to the desktop's trash, so the user can get it back.
void CMixorel2001View::DeleteFile() {
    if (RefuseWhenLocked()) {
        return;
    }
    CMixorel2001Doc& doc = GetDoc();
    std::string id;
    std::string path;
    {
        std::lock_guard lock(doc.GetMutex());
        const CSong* song = doc.GetSongAt(GetSelectionMark());
        if (song == nullptr) {
            return;
        }
        id = song->GetId();
        path = song->GetLocation();
    }
    const std::string question = "Are you sure you want to delete file '" + path +
                                 "'?\n\nIt goes to the trash, where you can get it back.";
    if (m_prompt.Ask(question, IShellPrompt::kYesNo, IShellPrompt::kIconQuestion) !=
        IUserPrompt::kAnswerYes) {
        return;
    }
    const QString file = QString::fromStdString(path);
    if (!QFile::exists(file)) {
        m_prompt.Message("Error deleting the file. The file not found.");
        return;
    }
    if (!QFileInfo(file).isWritable()) {
        m_prompt.Message("Error deleting the file. The file is read only.");
        return;
    }
    if (!QFile::moveToTrash(file)) {
        m_prompt.Message("Failed to delete the song file");
        return;
    }
    doc.RemoveSongs({id});
    doc.SetModifiedFlag(true);
    doc.UpdateViews(-1);
}

void CMixorel2001View::CopyFile() {
    CMixorel2001Doc& doc = GetDoc();
    std::string path;
    std::string title;
    {
        std::lock_guard lock(doc.GetMutex());
        const CSong* song = doc.GetSongAt(GetSelectionMark());
        if (song == nullptr) {
            return;
        }
        path = song->GetLocation();
        title = song->GetTitle();
    }
    std::string target;
    bool choose = true;
    for (;;) {
        if (choose &&
            !m_prompt.ChooseSaveFile(
                "Copy file", "mp3 files (*.mp?);;WAV files (*.wav);;Modules (*.mod);;All files (*)",
                path, target, "mp3")) {
            return;
        }
        std::string error;
        if (CSongFileCopy::Copy(path, target, error)) {
            m_prompt.Message("File copied successfully");
            return;
        }
        const std::string text =
            "Error: " + error + "\rTried copying '" + title + "' to '" + target + "'\r\rRetry?";
        const IUserPrompt::Answer answer =
            m_prompt.Ask(text, IShellPrompt::kYesNoCancel, IShellPrompt::kIconError);
        if (answer == IUserPrompt::kAnswerCancel) {
            return;
        }
        choose = answer == IUserPrompt::kAnswerNo;
    }
}
