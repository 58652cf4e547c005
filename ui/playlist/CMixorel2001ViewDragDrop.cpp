// Drag and drop: songs dragged out of the list (to another list or a file manager), and songs
// or files dropped on it.

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
#include <mutex>

namespace {

using Rules = CPlaylistViewRules;

} // namespace

void CMixorel2001View::startDrag(Qt::DropActions /*actions*/) {
    CMixorel2001Doc& doc = GetDoc();
    const std::vector<std::string> ids = GetSelectedIds();
    if (ids.empty() || !doc.CopySongs(ids, false, true)) {
        return;
    }
    auto* mime = new QMimeData;
    mime->setData(QtSongClipboard::MimeTypeFor(ISongClipboard::kDragFormat), QByteArray("1"));
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
    const Qt::DropAction done = drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
    // The drop lands on a list's viewport: the list is one of its parents.
    CMixorel2001View* target = nullptr;
    for (QObject* item = drag->target(); item != nullptr && target == nullptr;
         item = item->parent()) {
        target = qobject_cast<CMixorel2001View*>(item);
    }
    if (done == Qt::MoveAction && target != nullptr && target != this && !RefuseWhenLocked()) {
        doc.RemoveSongs(ids);
    }
}

void CMixorel2001View::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasFormat(QtSongClipboard::MimeTypeFor(ISongClipboard::kDragFormat)) ||
        event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void CMixorel2001View::dragMoveEvent(QDragMoveEvent* event) {
    event->acceptProposedAction();
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
    if (event->mimeData()->hasFormat(QtSongClipboard::MimeTypeFor(ISongClipboard::kDragFormat)) &&
        source != nullptr) {
        const bool move = event->dropAction() == Qt::MoveAction;
        DropSongs(source, target, move);
        event->setDropAction(source == this ? Qt::CopyAction : event->dropAction());
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
    if (source == this) {
        if (move) {
            GetDoc().RemoveSongs(GetSelectedIds());
        }
        return InsertFromClipboard(target - 1, IUserPrompt::kYesToAll, false, true, false, true);
    }
    const int after = Rules::DropAfter(target, GetDoc().GetCount());
    return InsertFromClipboard(after, IUserPrompt::kNone, false, true, false, true);
}

// Music files go in at the drop line and are read in the background; playlists dropped
// are appended, an album opens.
bool CMixorel2001View::DropFiles(const std::vector<std::string>& paths, int target) {
    const bool done = m_main.DropFilesOn(m_playlist, target, paths);
    m_pModel->RefreshNow();
    return done;
}
