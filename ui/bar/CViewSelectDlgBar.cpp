#include "ui/bar/CViewSelectDlgBar.h"

#include "platform/QtSongClipboard.h"
#include "ui/bar/CViewSelectListCtrl.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <QUrl>
#include <algorithm>

namespace {

// The image of a state, drawn at a size: a note, a circling arrow while looping, a clock
// for an alarm, a padlock when locked (images 0-3 unlocked, 4-7 locked).
QIcon StateIcon(int image) {
    QIcon icon;
    for (int size : {16, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const double u = size / 16.0;
        const int kind = image % 4; // 0 looping, 1 none, 2 alarm, 3 looping and alarm
        const bool looping = kind == 0 || kind == 3;
        const bool alarm = kind == 2 || kind == 3;
        painter.setPen(Qt::NoPen);
        painter.setBrush(looping ? QColor(0, 128, 128) : QColor(70, 70, 90));
        painter.drawEllipse(QRectF(2 * u, 9 * u, 5 * u, 4 * u));
        painter.drawRect(QRectF(6 * u, 2 * u, 1.2 * u, 9 * u));
        painter.drawRect(QRectF(6 * u, 2 * u, 5 * u, 1.5 * u));
        if (looping) {
            painter.setPen(QPen(QColor(0, 160, 0), 1.5 * u));
            painter.setBrush(Qt::NoBrush);
            painter.drawArc(QRectF(8 * u, 6 * u, 7 * u, 7 * u), 30 * 16, 300 * 16);
        }
        if (alarm) {
            painter.setPen(QPen(QColor(200, 40, 40), 1.2 * u));
            painter.setBrush(Qt::white);
            painter.drawEllipse(QRectF(9 * u, 0.8 * u, 6 * u, 6 * u));
            painter.drawLine(QPointF(12 * u, 3.8 * u), QPointF(12 * u, 2 * u));
            painter.drawLine(QPointF(12 * u, 3.8 * u), QPointF(13.4 * u, 3.8 * u));
        }
        if (image >= 4) {
            painter.setPen(QPen(QColor(150, 110, 0), 1.2 * u));
            painter.setBrush(Qt::NoBrush);
            painter.drawArc(QRectF(1.5 * u, 1 * u, 4 * u, 5 * u), 0, 180 * 16);
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(220, 170, 0));
            painter.drawRect(QRectF(1 * u, 3.5 * u, 5 * u, 4 * u));
        }
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

const QIcon& IconFor(std::uint32_t state) {
    static const std::vector<QIcon> icons = [] {
        std::vector<QIcon> made;
        for (int image = 0; image < 8; ++image) {
            made.push_back(StateIcon(image));
        }
        return made;
    }();
    return icons[static_cast<std::size_t>(CPlaylistsBarEntries::ImageIndex(state))];
}

} // namespace

CViewSelectDlgBar::CViewSelectDlgBar(Callbacks callbacks, QWidget* parent)
    : QDockWidget(QString::fromUtf8(CPlaylistsBarEntries::kTitle), parent),
      m_callbacks(std::move(callbacks)) {
    setObjectName(QStringLiteral("PlaylistsBar"));
    m_pList = new CViewSelectListCtrl(*this);
    setWidget(m_pList);
    connect(m_pList, &QListWidget::currentRowChanged, this, [this] { OnSelectionChanged(); });
    connect(m_pList, &QListWidget::itemClicked, this, [this] { Activate(); });
    connect(m_pList, &QListWidget::itemActivated, this, [this] { Activate(); });
    m_pTimer = new QTimer(this);
    m_pTimer->setInterval(CPlaylistsBarEntries::kActivationDelayMs);
    connect(m_pTimer, &QTimer::timeout, this, &CViewSelectDlgBar::Tick);
    m_pTimer->start();
    SetIconStyle(0);
}

int CViewSelectDlgBar::AddEntry(const void* view, const void* document, const std::string& title,
                                bool locked) {
    const int before = m_entries.GetCount();
    const int index = m_entries.AddEntry(view, document, title, locked);
    m_bUpdating = true;
    if (index >= before) {
        m_pList->addItem(QString());
        RefreshItem(index);
    }
    m_pList->setCurrentRow(index);
    m_pList->scrollToItem(m_pList->item(index));
    m_bUpdating = false;
    return index;
}

bool CViewSelectDlgBar::RemoveEntry(const void* view) {
    const int index = m_entries.IndexOf(view);
    if (index < 0 || !m_entries.RemoveEntry(view)) {
        return false;
    }
    m_bUpdating = true;
    delete m_pList->takeItem(index);
    m_entries.Select(m_pList->currentRow());
    m_bUpdating = false;
    return true;
}

bool CViewSelectDlgBar::SelectEntry(const void* view) {
    const int index = m_entries.IndexOf(view);
    if (index < 0) {
        return false;
    }
    m_bUpdating = true;
    m_entries.SelectActive(index);
    m_pList->setCurrentRow(index);
    m_pList->scrollToItem(m_pList->item(index));
    m_bUpdating = false;
    return true;
}

bool CViewSelectDlgBar::SetState(const void* view, CPlaylistsBarEntries::State bit, bool on) {
    if (!m_entries.SetState(view, bit, on)) {
        return false;
    }
    for (int i = 0; i < m_entries.GetCount(); ++i) {
        RefreshItem(i);
    }
    return true;
}

void CViewSelectDlgBar::RefreshNames(const std::function<std::string(const void*)>& titleOf) {
    for (int index : m_entries.RefreshNames(titleOf)) {
        RefreshItem(index);
    }
}

void CViewSelectDlgBar::RefreshItem(int index) {
    QListWidgetItem* item = m_pList->item(index);
    if (item == nullptr) {
        return;
    }
    const auto& entry = m_entries.GetEntry(index);
    item->setText(QString::fromStdString(entry.strName));
    item->setIcon(IconFor(entry.nState));
    item->setToolTip(QString());
    FitGrid();
}

void CViewSelectDlgBar::FitGrid() {
    if (m_nIconStyle != 1) {
        return;
    }
    const QFontMetrics metrics(m_pList->font());
    int widest = 0;
    for (int i = 0; i < m_pList->count(); ++i) {
        widest = std::max(widest, metrics.horizontalAdvance(m_pList->item(i)->text()));
    }
    const QSize grid(std::clamp(widest + 16, 96, 400), 32 + metrics.height() + 16);
    if (grid != m_pList->gridSize()) {
        m_pList->setGridSize(grid);
    }
}

void CViewSelectDlgBar::SetListFont(const QFont& font) {
    m_pList->setFont(font);
    FitGrid();
    m_pList->doItemsLayout();
}

void CViewSelectDlgBar::ShowMenuAt(const QPoint& point) {
    const QModelIndex hit = m_pList->indexAt(point);
    const void* view = nullptr;
    if (hit.isValid()) {
        m_bUpdating = true;
        m_pList->setCurrentRow(hit.row());
        m_bUpdating = false;
        Activate();
        view = m_entries.GetEntry(hit.row()).pView;
    }
    if (m_callbacks.contextMenu) {
        m_callbacks.contextMenu(view, m_pList->viewport()->mapToGlobal(point));
    }
}

void CViewSelectDlgBar::SelectNext(bool forward) {
    const int index = m_entries.NextIndex(forward);
    if (index >= 0) {
        m_entries.Select(index);
        m_bUpdating = true;
        m_pList->setCurrentRow(index);
        m_bUpdating = false;
        Activate();
    }
}

// Every style shows each entry whole: its icon and its full name. The items are laid out
// again whenever the bar changes size (docked at the bottom it starts narrow), and each
// item keeps its own size, so a long name is not cut to the first one's width.
void CViewSelectDlgBar::SetIconStyle(int style) {
    if (style < 0 || style > 2) {
        return;
    }
    m_nIconStyle = style;
    m_pList->setUniformItemSizes(false);
    m_pList->setResizeMode(QListView::Adjust);
    m_pList->setMovement(QListView::Static);
    m_pList->setTextElideMode(Qt::ElideNone);
    m_pList->setWordWrap(false);
    m_pList->setGridSize(QSize());
    switch (style) {
    case 0: // small icons: one column, as the details view
        m_pList->setViewMode(QListView::ListMode);
        m_pList->setFlow(QListView::TopToBottom);
        m_pList->setWrapping(false);
        m_pList->setIconSize(QSize(16, 16));
        m_pList->setSpacing(0);
        break;
    case 1: // big icons in rows
        m_pList->setViewMode(QListView::IconMode);
        m_pList->setIconSize(QSize(32, 32));
        m_pList->setFlow(QListView::LeftToRight);
        m_pList->setWrapping(true);
        m_pList->setSpacing(0);
        FitGrid();
        break;
    case 2: // a list of small icons in rows
        m_pList->setViewMode(QListView::ListMode);
        m_pList->setFlow(QListView::LeftToRight);
        m_pList->setWrapping(true);
        m_pList->setIconSize(QSize(16, 16));
        m_pList->setSpacing(2);
        break;
    default:
        break;
    }
    m_pList->setMovement(QListView::Static);
    m_pList->doItemsLayout();
    // A static icon view turns drops off on its viewport; the bar takes songs and files.
    m_pList->viewport()->setAcceptDrops(true);
}

void CViewSelectDlgBar::FocusList() {
    show();
    raise();
    m_pList->setFocus();
}

void CViewSelectDlgBar::OnSelectionChanged() {
    m_entries.Select(m_pList->currentRow());
}

// The focus stays in the bar when it was there: the keys of the bar go on working.
void CViewSelectDlgBar::Activate() {
    m_entries.Select(m_pList->currentRow());
    const QWidget* focus = QApplication::focusWidget();
    const bool focused = focus != nullptr && (focus == this || isAncestorOf(focus));
    if (const void* view = m_entries.Activate(); view != nullptr && m_callbacks.activate) {
        m_callbacks.activate(view);
        if (focused) {
            m_pList->setFocus();
        }
    }
}

void CViewSelectDlgBar::Tick() {
    if (m_bUpdating) {
        return;
    }
    if (const void* view = m_entries.Tick(); view != nullptr && m_callbacks.activate) {
        m_callbacks.activate(view);
    }
}

void CViewSelectDlgBar::DropOn(int index, const QMimeData& mime) {
    const void* view = m_entries.GetEntry(index).pView;
    const bool songs = mime.hasFormat(QtSongClipboard::MimeTypeFor(ISongClipboard::kDragFormat)) ||
                       mime.hasFormat(QtSongClipboard::MimeTypeFor(ISongClipboard::kSongFormat));
    if (songs) {
        if (m_callbacks.songsDropped) {
            m_callbacks.songsDropped(view);
        }
        return;
    }
    std::vector<std::string> paths;
    for (const QUrl& url : mime.urls()) {
        if (url.isLocalFile()) {
            paths.push_back(url.toLocalFile().toStdString());
        }
    }
    if (!paths.empty() && m_callbacks.filesDropped) {
        m_callbacks.filesDropped(view, paths);
    }
}
