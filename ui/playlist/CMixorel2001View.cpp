// The playlist window's list: construction, the command table and its context menu, the
// selection, heading sorts, double click, type-ahead and the song tooltips.

#include "ui/playlist/CMixorel2001View.h"

#include "catalogue/CMixorel2001Doc.h"
#include "catalogue/CSong.h"
#include "ui/playlist/CPlaylistModel.h"
#include "ui/shell/CMainFrame.h"
#include "ui/shell/COpenPlaylist.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QToolTip>
#include <algorithm>
#include <cstring>
#include <mutex>

namespace {

using Rules = CPlaylistViewRules;
constexpr qint64 kTypeAheadPauseMs = 1000;

struct CommandText {
    int command;
    const char* text;
};

constexpr CommandText kCommands[] = {
    {CMixorel2001View::kPlay, "&Play\tF6"},
    {CMixorel2001View::kNext, "&Next\tF7"},
    {CMixorel2001View::kPause, "P&ause\tF8"},
    {CMixorel2001View::kStop, "&Stop\tF9"},
    {CMixorel2001View::kLoop, "&Loop\tF10"},
    {CMixorel2001View::kLoopStop, "Loop s&top\tF11"},
    {CMixorel2001View::kFadeStop, "Fade stop\tShift+F9"},
    {CMixorel2001View::kFadeNext, "&Fade next\tShift+F7"},
    {CMixorel2001View::kSetNext, "Set as ne&xt to be played\tF4"},
    {CMixorel2001View::kSetLast, "Set as the last in the looping list\tShift+F4"},
    {CMixorel2001View::kSeek, "See&k\tCtrl+E"},
    {0, nullptr},
    {CMixorel2001View::kSongTimer, "Set song timer"},
    {CMixorel2001View::kLock, "L&ock..."},
    {CMixorel2001View::kRemovePlayed, "Rem Played"},
    {0, nullptr},
    {CMixorel2001View::kMoveUp, "Move song &up\tCtrl+Up"},
    {CMixorel2001View::kMoveDown, "Move song &down\tCtrl+Down"},
    {CMixorel2001View::kMoveToTop, "Move song to t&op\tCtrl+Shift+Up"},
    {CMixorel2001View::kMoveToBottom, "Move song to &bottom\tCtrl+Shift+Down"},
    {CMixorel2001View::kFastMoveDown, "&Fast move selection down\tCtrl+Right"},
    {CMixorel2001View::kFastMoveUp, "F&ast move selection up\tCtrl+Left"},
    {0, nullptr},
    {CMixorel2001View::kCut, "Cu&t\tCtrl+X"},
    {CMixorel2001View::kCopy, "&Copy\tCtrl+C"},
    {CMixorel2001View::kPaste, "&Paste\tCtrl+V"},
    {CMixorel2001View::kCopyForExplorer, "C&opy for explorer/cd burner\tCtrl+Shift+C"},
    {CMixorel2001View::kDelete, "&Delete\tDel"},
    {0, nullptr},
    {CMixorel2001View::kDeleteFile, "&Delete file..."},
    {CMixorel2001View::kCopyFile, "&Copy file..."},
    {CMixorel2001View::kAddLocation, "&Add song location..."},
    {CMixorel2001View::kEditLocation, "&Edit song location...\tCtrl+L"},
    {CMixorel2001View::kSelectAll, "Select all\tCtrl+A"},
    {CMixorel2001View::kFindDialog, "Find song..."},
    {0, nullptr},
    {CMixorel2001View::kAddRegion, "&Add..."},
    {CMixorel2001View::kEditRegion, "Ed&it..."},
};

} // namespace

const char* CMixorel2001View::CommandMenuText(int command) {
    for (const CommandText& item : kCommands) {
        if (item.text != nullptr && item.command == command) {
            return item.text;
        }
    }
    return "";
}

CMixorel2001View::CMixorel2001View(CMainFrame& main, COpenPlaylist& playlist, CPlaylistModel* model,
                                   QWidget* parent)
    : QTableView(parent), m_main(main), m_playlist(playlist), m_pModel(model),
      m_prompt(main.GetPrompt()) {
    setModel(model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setShowGrid(true);
    setWordWrap(false);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    horizontalHeader()->setSectionsClickable(true);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this,
            &CMixorel2001View::SortByColumn);
    BuildCommands();
}

CMixorel2001Doc& CMixorel2001View::GetDoc() {
    return m_playlist.GetDoc();
}

// The list's own items carry their key only as text: the keys belong to the main window,
// which hands them to the active playlist's list wherever the focus is. One key on the
// actions of several lists would be ambiguous, and Qt fires none of them then.
void CMixorel2001View::AddCommand(int command, const char* text) {
    const QString full = QString::fromLatin1(text);
    const int tab = full.indexOf(QLatin1Char('\t'));
    auto* action = new QAction(full, this);
    QString tip = tab < 0 ? full : full.left(tab);
    tip.remove(QLatin1Char('&'));
    if (tab >= 0) {
        tip += QStringLiteral(" (%1)").arg(full.mid(tab + 1));
    }
    action->setToolTip(tip);
    connect(action, &QAction::triggered, this, [this, command] { RunCommand(command); });
    m_pMenu->addAction(action);
    m_actions[command] = action;
}

std::vector<int> CMixorel2001View::KeyedCommands() {
    std::vector<int> commands;
    for (const CommandText& item : kCommands) {
        if (item.text != nullptr && std::strchr(item.text, '\t') != nullptr) {
            commands.push_back(item.command);
        }
    }
    return commands;
}

QAction* CMixorel2001View::GetAction(int command) const {
    const auto found = m_actions.find(command);
    return found != m_actions.end() ? found->second : nullptr;
}

void CMixorel2001View::BuildCommands() {
    m_pMenu = new QMenu(this);
    for (const CommandText& item : kCommands) {
        if (item.text == nullptr) {
            m_pMenu->addSeparator();
        } else {
            AddCommand(item.command, item.text);
        }
    }
    m_actions[kLock]->setCheckable(true);
    m_actions[kRemovePlayed]->setCheckable(true);
    // The items show their state while the menu is open.
    connect(m_pMenu, &QMenu::aboutToShow, this, [this] { RefreshEnabling(); });
}

void CMixorel2001View::RefreshEnabling() {
    std::vector<int> commands;
    for (const auto& [command, action] : m_actions) {
        commands.push_back(command);
    }
    RefreshEnabling(commands);
}

void CMixorel2001View::RefreshEnabling(const std::vector<int>& commands) {
    const int mark = GetSelectionMark();
    const Rules::TransportFacts facts = GetFacts(mark);
    for (const int command : commands) {
        if (QAction* action = GetAction(command)) {
            action->setEnabled(IsCommandEnabled(command, facts, mark));
        }
    }
    m_actions[kLock]->setChecked(GetDoc().IsLocked());
    m_actions[kRemovePlayed]->setChecked(GetDoc().IsRemovePlayed());
}

void CMixorel2001View::contextMenuEvent(QContextMenuEvent* event) {
    m_pMenu->exec(event->globalPos());
}

int CMixorel2001View::GetSelectionMark() const {
    const QModelIndex current = currentIndex();
    if (!current.isValid() || !selectionModel()->hasSelection()) {
        return -1;
    }
    return current.row();
}

std::vector<std::string> CMixorel2001View::GetSelectedIds() const {
    std::vector<std::string> ids;
    CMixorel2001Doc& doc = m_playlist.GetDoc();
    std::lock_guard lock(doc.GetMutex());
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            if (const CSong* song = doc.GetSongAt(row)) {
                ids.push_back(song->GetId());
            }
        }
    }
    return ids;
}

int CMixorel2001View::GetSelectedCount() const {
    int count = 0;
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        count += range.height();
    }
    return count;
}

void CMixorel2001View::SelectLine(int line) {
    m_pModel->RefreshNow();
    clearSelection();
    if (line < 0 || line >= m_pModel->rowCount()) {
        return;
    }
    const QModelIndex index = m_pModel->index(line, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                 QItemSelectionModel::Rows);
    scrollTo(index);
}

void CMixorel2001View::SelectLines(const std::vector<std::string>& ids) {
    m_pModel->RefreshNow();
    clearSelection();
    CMixorel2001Doc& doc = GetDoc();
    QItemSelection selection;
    int first = -1;
    {
        std::lock_guard lock(doc.GetMutex());
        for (const std::string& id : ids) {
            int index = -1;
            if (doc.FindById(id, &index) != nullptr) {
                selection.select(m_pModel->index(index, 0),
                                 m_pModel->index(index, m_pModel->columnCount() - 1));
                first = first < 0 ? index : std::min(first, index);
            }
        }
    }
    selectionModel()->select(selection, QItemSelectionModel::Select);
    if (first >= 0) {
        selectionModel()->setCurrentIndex(m_pModel->index(first, 0), QItemSelectionModel::NoUpdate);
        scrollTo(m_pModel->index(first, 0));
    }
}

void CMixorel2001View::SortByColumn(int column) {
    m_bSortAscending = column == m_nSortColumn ? !m_bSortAscending : true;
    m_nSortColumn = column;
    const bool sorted = GetDoc().SortCommand(column, m_bSortAscending);
    m_pModel->RefreshNow();
    // The heading shows which column sorted the list, and which way (a refused sort
    // leaves it as it was).
    horizontalHeader()->setSortIndicatorShown(m_nShownSortColumn >= 0 || sorted);
    if (!sorted) {
        if (m_nShownSortColumn >= 0) {
            horizontalHeader()->setSortIndicator(m_nShownSortColumn, m_shownSortOrder);
        }
        return;
    }
    m_nShownSortColumn = column;
    m_shownSortOrder = m_bSortAscending ? Qt::AscendingOrder : Qt::DescendingOrder;
    horizontalHeader()->setSortIndicator(column, m_shownSortOrder);
}

void CMixorel2001View::mouseDoubleClickEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid()) {
        return;
    }
    bool region = false;
    {
        std::lock_guard lock(GetDoc().GetMutex());
        const CSong* song = GetDoc().GetSongAt(index.row());
        if (song == nullptr) {
            return;
        }
        region = song->IsRegion();
    }
    if (region) {
        EditRegionAt(index.row());
        Q_EMIT RegionDoubleClicked(index.row());
    } else {
        GetDoc().PlaySong(index.row(), true, false);
    }
}

int CMixorel2001View::TypeAhead(const std::string& text) {
    CMixorel2001Doc& doc = GetDoc();
    const QModelIndex current = currentIndex();
    int line = -1;
    {
        std::lock_guard lock(doc.GetMutex());
        line = Rules::TypeAhead(
            [&doc](int index) {
                const CSong* song = doc.GetSongAt(index);
                return song != nullptr ? song->GetTitleWithDate(false) : std::string();
            },
            doc.GetCount(), current.isValid() ? current.row() : 0, text);
    }
    if (line >= 0) {
        SelectLine(line);
    }
    return line;
}

void CMixorel2001View::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        // Esc closes the window quickly; the document still refuses or asks to save.
        m_main.RequestClosePlaylist(m_playlist);
        return;
    }
    const QString text = event->text();
    const bool printable = !text.isEmpty() && text.at(0).isPrint() &&
                           (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) == 0;
    if (!printable) {
        QTableView::keyPressEvent(event);
        return;
    }
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (now - m_nLastKeyMs > kTypeAheadPauseMs) {
        m_strTyped.clear();
    }
    m_nLastKeyMs = now;
    m_strTyped += text.toStdString();
    TypeAhead(m_strTyped);
}

std::pair<int, int> CMixorel2001View::GetVisibleRange() const {
    const int first = rowAt(0);
    int last = rowAt(viewport()->height() - 1);
    if (last < 0) {
        last = m_pModel->rowCount() - 1;
    }
    return {first, last};
}

bool CMixorel2001View::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip) {
        return QTableView::viewportEvent(event);
    }
    const auto* help = static_cast<QHelpEvent*>(event);
    const QModelIndex index = indexAt(help->pos());
    const QString text =
        index.isValid() ? model()->data(index, Qt::ToolTipRole).toString() : QString();
    if (text.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    QToolTip::showText(help->globalPos(), text, viewport(), visualRect(index), kTooltipKeepMs);
    // Qt's tip label has no width of its own to set; it is found by its object name.
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* label = qobject_cast<QLabel*>(widget);
        if (label != nullptr && label->objectName() == QLatin1String("qtooltip_label") &&
            label->isVisible() && label->width() > kTooltipMaxWidth) {
            label->setWordWrap(true);
            label->setMaximumWidth(kTooltipMaxWidth);
            label->adjustSize();
        }
    }
    return true;
}
