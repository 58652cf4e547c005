// Drag and drop: songs dragged out of the list (to another list, the playlists bar or a file
// manager), and songs or files dropped on it.
//
// A drag runs on the user-interface thread inside QDrag::exec. Whatever list the songs are
// dropped on notes which of them it really inserted (the user may decline duplicates);
// when the drag ends as a move, the source removes exactly those lines, so a declined
// song is never lost.

#include "ui/playlist/CMixorel2001View.h"

#include "catalogue/CMixorel2001Doc.h"
#include "catalogue/CSong.h"
#include "catalogue/ISongClipboard.h"
#include "platform/QtSongClipboard.h"
#include "ui/playlist/CPlaylistModel.h"
#include "ui/prompts/IShellPrompt.h"
#include "ui/shell/CMainFrame.h"
#include "ui/shell/COpenPlaylist.h"

#include <QDrag>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <algorithm>
#include <mutex>
#include <optional>

namespace {

using Rules = CPlaylistViewRules;

// The places in the dragged block of the songs the drop target inserted; empty while no
// target has inserted anything. Only one drag runs at a time.
std::optional<std::vector<std::size_t>> s_dropTaken;

QString SongDragFormat() {
    return QtSongClipboard::MimeTypeFor(ISongClipboard::kDragFormat);
}

bool IsMove(const QDropEvent& event, bool sameList) {
    const Qt::KeyboardModifiers keys = event.modifiers();
    return Rules::IsMoveDrop(sameList, (keys & Qt::ShiftModifier) != 0,
                             (keys & Qt::ControlModifier) != 0);
}

// The position code of InsertFromClipboard for "after this line": the end of the list has
// its own code (the document's kAfterLast would read as "next to play").
int AfterLineCode(int after) {
    return after == Rules::kAfterLast ? Rules::kAtEndCode : after;
}

} // namespace

void CMixorel2001View::NoteDropTaken(const std::vector<std::size_t>& taken) {
    s_dropTaken = taken;
}

void CMixorel2001View::startDrag(Qt::DropActions /*actions*/) {
    CMixorel2001Doc& doc = GetDoc();
    const std::vector<std::string> ids = GetSelectedIds();
    if (ids.empty() || !doc.CopySongs(ids, false, true)) {
        return;
    }
    auto* mime = new QMimeData;
    mime->setData(SongDragFormat(), QByteArray("1"));
    QList<QUrl> urls;
    {
        std::lock_guard lock(doc.GetMutex());
        for (const std::string& id : ids) {
            const CSong* song = doc.FindById(id);
            if (song != nullptr && !song->IsRegion()) {
                urls.push_back(QUrl::fromLocalFile(QString::fromStdString(song->GetLocation())));
            }
        }
    }
    mime->setUrls(urls);
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    // A locked list gives nothing away: its songs can only be copied.
    const Qt::DropActions offered =
        doc.IsLocked() ? Qt::DropActions(Qt::CopyAction) : Qt::CopyAction | Qt::MoveAction;
    s_dropTaken.reset();
    if (drag->exec(offered, Qt::CopyAction) == Qt::MoveAction) {
        RemoveTakenAfterMove(ids);
    }
    s_dropTaken.reset();
}

void CMixorel2001View::RemoveTakenAfterMove(const std::vector<std::string>& dragged) {
    const std::optional<std::vector<std::size_t>> taken = std::move(s_dropTaken);
    s_dropTaken.reset();
    if (!taken.has_value() || taken->empty()) {
        return;
    }
    // The dragged block holds the lines in the order of dragged.
    std::vector<std::string> moved;
    for (const std::size_t place : *taken) {
        if (place < dragged.size()) {
            moved.push_back(dragged[place]);
        }
    }
    if (!RefuseWhenLocked()) {
        GetDoc().RemoveSongs(moved);
        m_pModel->RefreshNow();
    }
}

void CMixorel2001View::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasFormat(SongDragFormat()) || event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void CMixorel2001View::dragMoveEvent(QDragMoveEvent* event) {
    auto* source = qobject_cast<CMixorel2001View*>(event->source());
    if (source == nullptr || !event->mimeData()->hasFormat(SongDragFormat())) {
        event->acceptProposedAction();
        return;
    }
    const bool move = IsMove(*event, source == this);
    event->setDropAction(move && (event->possibleActions() & Qt::MoveAction) ? Qt::MoveAction
                                                                             : Qt::CopyAction);
    event->accept();
}

void CMixorel2001View::dropEvent(QDropEvent* event) {
    const int line = indexAt(event->position().toPoint()).row();
    const int target = Rules::DropTarget(line, GetDoc().GetCount());
    if (GetDoc().IsLocked()) {
        m_prompt.Message(kLockedText);
        event->ignore();
        return;
    }
    auto* source = qobject_cast<CMixorel2001View*>(event->source());
    if (event->mimeData()->hasFormat(SongDragFormat()) && source != nullptr) {
        const bool move = IsMove(*event, source == this);
        // A move asked of a locked list changes nothing anywhere.
        if (move && source->GetDoc().IsLocked()) {
            m_prompt.Message(kLockedText);
            event->ignore();
            return;
        }
        DropSongs(source, target, move);
        // Within one list the move is done here; the source has nothing left to remove.
        event->setDropAction(move && source != this ? Qt::MoveAction : Qt::CopyAction);
        event->accept();
        return;
    }
    std::vector<std::string> paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            paths.push_back(url.toLocalFile().toStdString());
        }
    }
    DropFiles(paths, target);
    event->acceptProposedAction();
}

bool CMixorel2001View::DropSongs(CMixorel2001View* source, int target, bool move) {
    if (source != this) {
        const int after = Rules::DropAfter(target, GetDoc().GetCount());
        return InsertFromClipboard(AfterLineCode(after), IUserPrompt::kNone, false, true, false,
                                   true);
    }
    if (!move) {
        return InsertFromClipboard(target - 1, IUserPrompt::kYesToAll, false, true, false, true);
    }
    std::vector<int> selected;
    for (const QModelIndex& index : selectionModel()->selectedRows()) {
        selected.push_back(index.row());
    }
    std::sort(selected.begin(), selected.end());
    const int after = Rules::SameListMoveAfter(selected, target, GetDoc().GetCount());
    return InsertFromClipboard(AfterLineCode(after), IUserPrompt::kYesToAll, false, true, true,
                               true);
}

// Music files go in at the drop line and are read in the background; playlists dropped
// are appended, an album opens.
bool CMixorel2001View::DropFiles(const std::vector<std::string>& paths, int target) {
    const bool done = m_main.DropFilesOn(m_playlist, target, paths);
    m_pModel->RefreshNow();
    return done;
}
