#include "ui/CPlaylistModel.h"

#include "catalogue/CMixorel2001Doc.h"
#include "catalogue/CPlaylistColumns.h"

#include <mutex>

CPlaylistModel::CPlaylistModel(CMixorel2001Doc& doc, QObject* parent)
    : QAbstractTableModel(parent), m_pDoc(&doc), m_nRows(doc.GetCount()) {
    m_pDoc->AddView(this);
}

CPlaylistModel::~CPlaylistModel() {
    Detach();
}

void CPlaylistModel::Detach() {
    if (m_pDoc == nullptr) {
        return;
    }
    m_pDoc->RemoveView(this);
    m_pDoc = nullptr;
    beginResetModel();
    m_nRows = 0;
    endResetModel();
}

int CPlaylistModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_nRows;
}

int CPlaylistModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : CPlaylistColumns::kCount;
}

QVariant CPlaylistModel::data(const QModelIndex& index, int role) const {
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(
            Qt::AlignVCenter |
            (CPlaylistColumns::IsRightAligned(index.column()) ? Qt::AlignRight : Qt::AlignLeft));
    }
    if (role != Qt::DisplayRole || m_pDoc == nullptr) {
        return {};
    }
    // A line that is gone meanwhile shows an empty cell.
    std::lock_guard lock(m_pDoc->GetMutex());
    const CSong* song = m_pDoc->GetSongAt(index.row());
    return song == nullptr
               ? QString()
               : QString::fromStdString(CPlaylistColumns::CellText(*song, index.column()));
}

QVariant CPlaylistModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    return QString::fromLatin1(CPlaylistColumns::Heading(section));
}

void CPlaylistModel::RedrawLine(int /*line*/) {
    if (!m_bRefreshPending.exchange(true)) {
        QMetaObject::invokeMethod(this, &CPlaylistModel::Refresh, Qt::QueuedConnection);
    }
}

void CPlaylistModel::ScrollToLine(int line) {
    QMetaObject::invokeMethod(
        this, [this, line] { Q_EMIT ScrollRequested(line); }, Qt::QueuedConnection);
}

void CPlaylistModel::Refresh() {
    m_bRefreshPending.store(false);
    if (m_pDoc == nullptr) {
        return;
    }
    const int rows = m_pDoc->GetCount();
    if (rows != m_nRows) {
        beginResetModel();
        m_nRows = rows;
        endResetModel();
    } else if (rows > 0) {
        Q_EMIT dataChanged(index(0, 0), index(rows - 1, CPlaylistColumns::kCount - 1));
    }
}
