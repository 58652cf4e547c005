#pragma once

#include <QListWidget>

class CViewSelectDlgBar;
class QDropEvent;
class QMimeData;

// The list of the playlists bar: a drop target for songs and files, with a tooltip per
// playlist and the keys of the bar (Delete closes, others activate).
class CViewSelectListCtrl final : public QListWidget {
    Q_OBJECT
public:
    explicit CViewSelectListCtrl(CViewSelectDlgBar& bar);

    // The entry a drop at a point goes to, or -1 (refused).
    int DropIndexAt(const QPoint& point) const;
    // Songs or files dropped at a point go to the entry there; false when refused.
    bool DropAt(const QPoint& point, const QMimeData& mime);

protected:
    bool event(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    static bool Accepts(const QMimeData* data);
    static Qt::DropAction ActionOf(const QDropEvent& event);
    // The first entry the viewport shows, -1 when none.
    int FirstVisible() const;
    void Highlight(int index);

    CViewSelectDlgBar& m_bar;
    int m_nHighlighted = -1;
};
