#pragma once

#include "catalogue/IDocumentView.h"

#include <QAbstractTableModel>
#include <QColor>
#include <atomic>
#include <vector>

class CMixorel2001Doc;
class CSettings;

// The playlist as a virtual table: each cell's text is asked for when it is drawn, so a
// list of 100,000 songs costs nothing until it is seen. The document calls the view side
// from any thread; the requests are folded into one queued refresh on the model's own
// thread (a change of the line count resets the table, otherwise the lines redraw).
class CPlaylistModel final : public QAbstractTableModel, public IDocumentView {
    Q_OBJECT
public:
    explicit CPlaylistModel(CMixorel2001Doc& doc, QObject* parent = nullptr);
    ~CPlaylistModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // Every line can be dragged and dropped on; the view carries the drags out itself.
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    Qt::DropActions supportedDragActions() const override;
    Qt::DropActions supportedDropActions() const override;

    // The whole list's colours: the system's, the loop's or the schedule's; the marks'
    // colours and the tooltip setting are taken from the settings at the same time.
    enum ListLook : int { kSystemLook, kLoopLook, kScheduleLook };
    void SetListLook(ListLook look, const CSettings& settings);
    ListLook GetListLook() const { return m_look; }
    // The line count and lines as the document has them now.
    void RefreshNow();

    // Lets go of the document before it closes; the table is empty from then on.
    void Detach();

    void RedrawLine(int line) override;
    void ScrollToLine(int line) override;

Q_SIGNALS:
    void ScrollRequested(int line);

private:
    void Refresh();
    void RebuildHeaders();
    QVariant LineColour(int row, bool text) const;
    QVariant PlayingIcon(int row) const;

    struct Colours {
        QColor listText, listBack;
        QColor nextText, nextBack;
        QColor scheduleText, scheduleBack;
    };
    Colours m_colours;
    ListLook m_look = kSystemLook;
    bool m_bTooltips = true;
    // The region headers' lines, ascending.
    std::vector<int> m_headers;

    CMixorel2001Doc* m_pDoc;
    int m_nRows = 0;
    std::atomic<bool> m_bRefreshPending{false};
};
