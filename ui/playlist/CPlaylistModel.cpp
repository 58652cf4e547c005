#include "ui/playlist/CPlaylistModel.h"

#include "catalogue/CMixorel2001Doc.h"
#include "catalogue/CPlaylistColumns.h"

#include "settings/CSettings.h"
#include "ui/playlist/CPlaylistViewRules.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QStyle>
#include <algorithm>
#include <mutex>

namespace {

// 0x00BBGGRR
QColor FromColorRef(std::uint32_t colour) {
    return QColor(static_cast<int>(colour & 0xff), static_cast<int>((colour >> 8) & 0xff),
                  static_cast<int>((colour >> 16) & 0xff));
}

} // namespace

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
    if (m_pDoc == nullptr) {
        return {};
    }
    if (role == Qt::ForegroundRole || role == Qt::BackgroundRole) {
        return LineColour(index.row(), role == Qt::ForegroundRole);
    }
    if (role == Qt::DecorationRole) {
        return index.column() == 0 ? PlayingIcon(index.row()) : QVariant();
    }
    if (role == Qt::FontRole) {
        std::lock_guard lock(m_pDoc->GetMutex());
        const CSong* song = m_pDoc->GetSongAt(index.row());
        if (song == nullptr || !song->IsRegion()) {
            return {};
        }
        QFont font;
        font.setBold(true);
        return font;
    }
    if (role == Qt::ToolTipRole) {
        if (!m_bTooltips) {
            return {};
        }
        std::lock_guard lock(m_pDoc->GetMutex());
        const CSong* song = m_pDoc->GetSongAt(index.row());
        return song == nullptr ? QVariant()
                               : QString::fromStdString(CPlaylistViewRules::SongTooltip(*song));
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    // A line that is gone meanwhile shows an empty cell.
    std::lock_guard lock(m_pDoc->GetMutex());
    const CSong* song = m_pDoc->GetSongAt(index.row());
    return song == nullptr
               ? QString()
               : QString::fromStdString(CPlaylistColumns::CellText(*song, index.column()));
}

// The line that plays now, for the loop or for a region, carries the play symbol.
QVariant CPlaylistModel::PlayingIcon(int row) const {
    {
        std::lock_guard lock(m_pDoc->GetMutex());
        const CSong* song = m_pDoc->GetSongAt(row);
        if (song == nullptr || (song->GetMark() != CMixorel2001Doc::kMarkLoopPlaying &&
                                song->GetMark() != CMixorel2001Doc::kMarkSchedulePlaying)) {
            return {};
        }
    }
    static const QIcon icon =
        QIcon::fromTheme(QStringLiteral("media-playback-start"),
                         QApplication::style()->standardIcon(QStyle::SP_MediaPlay));
    return icon;
}

QVariant CPlaylistModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    return QString::fromLatin1(CPlaylistColumns::Heading(section));
}

Qt::ItemFlags CPlaylistModel::flags(const QModelIndex& index) const {
    const Qt::ItemFlags flags = QAbstractTableModel::flags(index) | Qt::ItemIsDropEnabled;
    return index.isValid() ? flags | Qt::ItemIsDragEnabled : flags;
}

Qt::DropActions CPlaylistModel::supportedDragActions() const {
    return Qt::CopyAction | Qt::MoveAction;
}

Qt::DropActions CPlaylistModel::supportedDropActions() const {
    return Qt::CopyAction | Qt::MoveAction;
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
    RebuildHeaders();
    const int rows = m_pDoc->GetCount();
    if (rows != m_nRows) {
        beginResetModel();
        m_nRows = rows;
        endResetModel();
    } else if (rows > 0) {
        Q_EMIT dataChanged(index(0, 0), index(rows - 1, CPlaylistColumns::kCount - 1));
    }
}

QVariant CPlaylistModel::LineColour(int row, bool text) const {
    using Rules = CPlaylistViewRules;
    std::lock_guard lock(m_pDoc->GetMutex());
    const CSong* song = m_pDoc->GetSongAt(row);
    if (song == nullptr) {
        return {};
    }
    const auto header = std::upper_bound(m_headers.begin(), m_headers.end(), row);
    const CSong* region =
        header == m_headers.begin() ? nullptr : m_pDoc->GetSongAt(*std::prev(header));
    if (region != nullptr && !region->IsRegion()) {
        region = nullptr;
    }
    const QColor list = text ? m_colours.listText : m_colours.listBack;
    switch (Rules::LookOf(song->GetMark(), song->IsRegion(), region != nullptr)) {
    case Rules::kNextToPlay:
        return text ? m_colours.nextText : m_colours.nextBack;
    case Rules::kNextToSchedule:
        return text ? m_colours.scheduleText : m_colours.scheduleBack;
    case Rules::kRegionHeader:
        return FromColorRef(text ? song->GetTextColor() : song->GetBackColor());
    case Rules::kRegionLine:
        return FromColorRef(text ? region->GetTextColor() : region->GetBackColor());
    case Rules::kListLook:
        break;
    }
    return list.isValid() ? QVariant(list) : QVariant();
}

void CPlaylistModel::SetListLook(ListLook look, const CSettings& settings) {
    Colours colours;
    colours.nextText = FromColorRef(settings.m_crNextToPlayFg);
    colours.nextBack = FromColorRef(settings.m_crNextToPlayBk);
    colours.scheduleText = FromColorRef(settings.m_crNextToScheduleFg);
    colours.scheduleBack = FromColorRef(settings.m_crNextToScheduleBk);
    if (look == kLoopLook) {
        colours.listText = FromColorRef(settings.m_crLoopFg);
        colours.listBack = FromColorRef(settings.m_crLoopBk);
    } else if (look == kScheduleLook) {
        colours.listText = FromColorRef(settings.m_crScheduleFg);
        colours.listBack = FromColorRef(settings.m_crScheduleBk);
    }
    const std::vector<int> headers = m_headers;
    RebuildHeaders();
    const bool changed = look != m_look || headers != m_headers ||
                         colours.nextBack != m_colours.nextBack ||
                         colours.listBack != m_colours.listBack;
    m_colours = colours;
    m_look = look;
    m_bTooltips = !settings.m_bNoPlaylistTooltips;
    if (changed && m_nRows > 0) {
        Q_EMIT dataChanged(index(0, 0), index(m_nRows - 1, CPlaylistColumns::kCount - 1));
    }
}

void CPlaylistModel::RebuildHeaders() {
    m_headers.clear();
    if (m_pDoc == nullptr) {
        return;
    }
    const std::vector<std::string> regions = m_pDoc->GetRegionList();
    std::lock_guard lock(m_pDoc->GetMutex());
    for (const std::string& id : regions) {
        int line = -1;
        if (m_pDoc->FindById(id, &line) != nullptr && line >= 0) {
            m_headers.push_back(line);
        }
    }
    std::sort(m_headers.begin(), m_headers.end());
}

void CPlaylistModel::RefreshNow() {
    Refresh();
}
