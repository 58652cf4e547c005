#include "ui/bar/CViewSelectListCtrl.h"

#include "platform/QtSongClipboard.h"
#include "ui/bar/CViewSelectDlgBar.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QToolTip>

CViewSelectListCtrl::CViewSelectListCtrl(CViewSelectDlgBar& bar) : m_bar(bar) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
    setDragDropMode(QAbstractItemView::DropOnly);
}

int CViewSelectListCtrl::FirstVisible() const {
    const QRect shown = viewport()->rect();
    for (int row = 0; row < count(); ++row) {
        if (visualItemRect(item(row)).intersects(shown)) {
            return row;
        }
    }
    return -1;
}

bool CViewSelectListCtrl::Accepts(const QMimeData* data) {
    return data != nullptr &&
           (data->hasUrls() ||
            data->hasFormat(QtSongClipboard::MimeTypeFor(ISongClipboard::kDragFormat)) ||
            data->hasFormat(QtSongClipboard::MimeTypeFor(ISongClipboard::kSongFormat)));
}

// Copy, or move while Ctrl is held when the drag offers a move (a locked list does not).
Qt::DropAction CViewSelectListCtrl::ActionOf(const QDropEvent& event) {
    const bool move = (event.modifiers() & Qt::ControlModifier) != 0 &&
                      (event.possibleActions() & Qt::MoveAction) != 0;
    return move ? Qt::MoveAction : Qt::CopyAction;
}

int CViewSelectListCtrl::DropIndexAt(const QPoint& point) const {
    const QModelIndex hit = indexAt(point);
    const int first = FirstVisible();
    const int firstTop = first >= 0 ? visualItemRect(item(first)).top() : 0;
    return m_bar.Entries().DropTarget(hit.isValid() ? hit.row() : -1, point.y(), first, firstTop);
}

void CViewSelectListCtrl::Highlight(int index) {
    if (m_nHighlighted == index) {
        return;
    }
    if (m_nHighlighted >= 0 && m_nHighlighted < count()) {
        item(m_nHighlighted)->setBackground(QBrush());
    }
    m_nHighlighted = index;
    if (index >= 0 && index < count()) {
        item(index)->setBackground(palette().highlight().color().lighter(150));
    }
}

void CViewSelectListCtrl::dragEnterEvent(QDragEnterEvent* event) {
    if (!Accepts(event->mimeData())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void CViewSelectListCtrl::dragMoveEvent(QDragMoveEvent* event) {
    const int index = DropIndexAt(event->position().toPoint());
    Highlight(index);
    if (index < 0 || !Accepts(event->mimeData())) {
        event->ignore();
        return;
    }
    event->setDropAction(ActionOf(*event));
    event->accept();
}

void CViewSelectListCtrl::dragLeaveEvent(QDragLeaveEvent* event) {
    Highlight(-1);
    QListWidget::dragLeaveEvent(event);
}

bool CViewSelectListCtrl::DropAt(const QPoint& point, const QMimeData& mime) {
    Highlight(-1);
    const int index = DropIndexAt(point);
    if (index < 0 || !Accepts(&mime)) {
        return false;
    }
    m_bar.DropOn(index, mime);
    return true;
}

void CViewSelectListCtrl::dropEvent(QDropEvent* event) {
    if (!DropAt(event->position().toPoint(), *event->mimeData())) {
        event->ignore();
        return;
    }
    event->setDropAction(ActionOf(*event));
    event->accept();
}

bool CViewSelectListCtrl::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        // Delete closes the selected playlist here; the main window's Delete (remove the
        // selected songs) is for the other places.
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier) {
            event->accept();
            return true;
        }
    }
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Tab &&
        static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
        // Tab goes back to the playlist, not to the next widget.
        if (m_bar.m_callbacks.leaveBar) {
            m_bar.m_callbacks.leaveBar();
        }
        return true;
    }
    return QListWidget::event(event);
}

void CViewSelectListCtrl::contextMenuEvent(QContextMenuEvent* event) {
    // Delivered through the viewport: the point is the viewport's.
    m_bar.ShowMenuAt(event->pos());
}

void CViewSelectListCtrl::keyPressEvent(QKeyEvent* event) {
    const int selected = m_bar.Entries().GetSelected();
    if (event->key() == Qt::Key_Delete && selected >= 0) {
        if (m_bar.m_callbacks.closeRequested) {
            m_bar.m_callbacks.closeRequested(m_bar.Entries().GetEntry(selected).pView);
        }
        return;
    }
    QListWidget::keyPressEvent(event);
    if (event->key() != Qt::Key_Tab && event->key() != Qt::Key_Return) {
        m_bar.Activate();
        setFocus();
    }
}

bool CViewSelectListCtrl::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip && m_bar.m_callbacks.tooltip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex hit = indexAt(help->pos());
        if (hit.isValid()) {
            const void* view = m_bar.Entries().GetEntry(hit.row()).pView;
            QToolTip::showText(help->globalPos(), m_bar.m_callbacks.tooltip(view), this,
                               visualRect(hit));
        } else {
            QToolTip::hideText();
        }
        return true;
    }
    return QListWidget::viewportEvent(event);
}
