#include "ui/CMixorel2001View.h"

#include "catalogue/CLoopState.h"
#include "catalogue/CMixorel2001Doc.h"
#include "catalogue/CSong.h"
#include "catalogue/ISongClipboard.h"
#include "platform/QtSongClipboard.h"
#include "playback/CPlayer.h"
#include "playback/CScheduleListThread.h"
#include "settings/CSharedSettings.h"
#include "ui/CChildFrame.h"
#include "ui/CMainFrame.h"
#include "ui/COpenPlaylist.h"
#include "ui/CPlaylistModel.h"
#include "ui/CRegionDialog.h"
#include "ui/IShellPrompt.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QDateTimeEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDrag>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QToolTip>
#include <QUrl>
#include <QVBoxLayout>
#include <ctime>
#include <mutex>

namespace {

using Rules = CPlaylistViewRules;
// The find dialog's last text, for every list of the run.
QString g_strLastFind;
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

void CMixorel2001View::AddCommand(int command, const char* text) {
    const QString full = QString::fromLatin1(text);
    const int tab = full.indexOf(QLatin1Char('\t'));
    auto* action = new QAction(tab < 0 ? full : full.left(tab), this);
    if (tab >= 0) {
        action->setShortcut(QKeySequence(full.mid(tab + 1)));
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    }
    connect(action, &QAction::triggered, this, [this, command] { RunCommand(command); });
    addAction(action);
    m_pMenu->addAction(action);
    m_actions[command] = action;
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
    // The items show their state while the menu is open; keys check it when pressed.
    connect(m_pMenu, &QMenu::aboutToShow, this, &CMixorel2001View::RefreshEnabling);
    connect(m_pMenu, &QMenu::aboutToHide, this, [this] {
        for (auto& [command, action] : m_actions) {
            action->setEnabled(true);
        }
    });
}

void CMixorel2001View::RefreshEnabling() {
    for (auto& [command, action] : m_actions) {
        action->setEnabled(IsCommandEnabled(command));
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

CPlayer* CMixorel2001View::GetPlayer() {
    return m_main.GetActivePlayer();
}

CPlaylistViewRules::TransportFacts CMixorel2001View::GetFacts() {
    CMixorel2001Doc& doc = GetDoc();
    Rules::TransportFacts facts;
    facts.bCommandsDisabled = doc.IsPlayerCommandsDisabled();
    facts.bRegionPlaying = CScheduleListThread::IsRegionPlaying();
    facts.bHasSelection = GetSelectionMark() >= 0;
    facts.bEmpty = doc.GetCount() == 0;
    CPlayer* player = GetPlayer();
    facts.bPlayerActive = player != nullptr && player->IsActive(true);
    facts.bLoopStopFlag = CLoopState::s_bStop;
    facts.bLoops = doc.IsLooping();
    facts.bScheduled = CScheduleListThread::IsScheduled(&doc) && facts.bRegionPlaying;
    return facts;
}

bool CMixorel2001View::IsCommandEnabled(int command) {
    const int mark = GetSelectionMark();
    const int lines = GetDoc().GetCount();
    const auto songAtMark = [this, mark] {
        std::lock_guard lock(GetDoc().GetMutex());
        const CSong* song = GetDoc().GetSongAt(mark);
        return song != nullptr && !song->IsRegion();
    };
    const CSettings settings = m_main.GetSettings();
    switch (command) {
    case kPlay:
        return Rules::IsEnabled(Rules::kPlay, GetFacts());
    case kLoop:
        return Rules::IsEnabled(Rules::kLoop, GetFacts());
    case kPause:
        return Rules::IsEnabled(Rules::kPause, GetFacts());
    case kStop:
        return Rules::IsEnabled(Rules::kStop, GetFacts());
    case kFadeStop:
        return Rules::IsEnabled(Rules::kFadeStop, GetFacts());
    case kNext:
    case kFadeNext:
        return Rules::IsEnabled(Rules::kNext, GetFacts());
    case kLoopStop:
        return Rules::IsEnabled(Rules::kLoopStop, GetFacts());
    case kSetNext:
    case kSetLast:
    case kSongTimer:
        return mark >= 0;
    case kMoveUp:
        return mark >= 1;
    case kMoveDown:
    case kMoveToBottom:
        return mark >= 0 && mark < lines - 1;
    case kMoveToTop:
        return mark >= 1;
    case kFastMoveDown:
        return Rules::CanFastMoveDown(mark, lines, settings.m_nFastMoveDown);
    case kFastMoveUp:
        return Rules::CanFastMoveUp(mark, settings.m_nFastMoveUp);
    case kDeleteFile:
    case kCopyFile:
    case kEditLocation:
        return mark >= 0 && songAtMark();
    case kPaste:
        return m_main.HasSongClipboardData();
    case kEditRegion:
        return mark >= 0 && !songAtMark();
    default:
        return true;
    }
}

void CMixorel2001View::RunCommand(int command) {
    if (!IsCommandEnabled(command)) {
        return;
    }
    CMixorel2001Doc& doc = GetDoc();
    CPlayer* player = GetPlayer();
    const int mark = GetSelectionMark();
    switch (command) {
    case kPlay:
        doc.PlaySong(mark < 0 ? 0 : mark, true, false);
        break;
    case kStop:
    case kFadeStop:
        LoopStop();
        doc.StopLoop();
        if (player != nullptr) {
            command == kStop ? player->Stop() : player->FadeStop();
        }
        break;
    case kPause:
        if (player != nullptr) {
            player->PauseResume();
        }
        break;
    case kNext:
    case kFadeNext:
        RouteNext(command);
        break;
    case kLoop:
        m_main.StartLoop(m_playlist, mark < 0 ? 0 : mark);
        if (auto* frame = m_main.FindFrame(m_playlist)) {
            frame->RefreshTitle();
        }
        break;
    case kLoopStop:
        LoopStop();
        break;
    case kSetNext:
    case kSetLast:
        PutIntoLoopingList(command == kSetNext);
        break;
    case kViewNext:
        if (doc.IsLooping() || CScheduleListThread::IsScheduled(&doc)) {
            SelectLine(doc.GetPlayPosition(doc.IsLooping() ? CMixorel2001Doc::kLoopMode
                                                           : CMixorel2001Doc::kScheduleMode));
        } else {
            m_main.ViewNextSong();
        }
        break;
    case kSongTimer:
        ShowSongTimer();
        break;
    case kLock:
        ShowLockDialog();
        break;
    case kRemovePlayed:
        doc.SetRemovePlayed(!doc.IsRemovePlayed());
        if (CChildFrame* frame = m_main.FindFrame(m_playlist)) {
            frame->RefreshStatus(); // the bar's check box follows
        }
        break;
    case kMoveUp:
        if (doc.MoveUp(mark)) {
            SelectLine(mark - 1);
        }
        break;
    case kMoveDown:
        if (doc.MoveDown(mark)) {
            SelectLine(mark + 1);
        }
        break;
    case kMoveToTop:
        doc.MoveToTop(mark);
        break;
    case kMoveToBottom:
        doc.MoveToBottom(mark);
        break;
    case kFastMoveDown:
    case kFastMoveUp:
        FastMove(command == kFastMoveDown);
        break;
    case kDelete:
        DeleteSelection();
        break;
    case kDeleteFile:
        DeleteFile();
        break;
    case kCopyFile:
        CopyFile();
        break;
    case kCut:
        if (!RefuseWhenLocked()) {
            doc.CopySongs(GetSelectedIds(), true, false);
        }
        break;
    case kCopy:
        doc.CopySongs(GetSelectedIds(), false, false);
        break;
    case kPaste: {
        IUserPrompt::DuplicateAnswer answer = IUserPrompt::kNone;
        doc.PasteSongs(mark < 0 ? -1 : mark - 1, nullptr, false, answer);
        break;
    }
    case kCopyForExplorer:
        doc.CopyFilesForExplorer(GetSelectedIds(), false);
        break;
    case kAddLocation:
        doc.AddSongLocation(mark);
        break;
    case kEditLocation:
        doc.EditSongLocation(mark);
        break;
    case kSelectAll:
        selectAll();
        break;
    case kFindDialog:
        ShowFindDialog();
        break;
    case kAddRegion:
        AddRegion();
        break;
    case kEditRegion:
        EditRegionAt(mark);
        break;
    default:
        break;
    }
}

bool CMixorel2001View::RefuseWhenLocked() {
    if (!GetDoc().IsLocked()) {
        return false;
    }
    m_prompt.Message(kLockedText);
    return true;
}

void CMixorel2001View::RouteNext(int command) {
    CChildFrame* scheduled = m_main.FindScheduledFrame();
    CChildFrame* looping = m_main.FindLoopingFrame();
    auto* target = static_cast<CChildFrame*>(const_cast<void*>(
        Rules::NextTarget(CScheduleListThread::IsRegionPlaying(), scheduled, looping)));
    if (target == nullptr) {
        return;
    }
    if (target->GetView() != this) {
        CMixorel2001View* other = target->GetView();
        QMetaObject::invokeMethod(
            other, [other, command] { other->RunCommand(command); }, Qt::QueuedConnection);
        return;
    }
    if (CPlayer* player = GetPlayer()) {
        command == kNext ? player->Skip() : player->FadeSkip();
    }
}

void CMixorel2001View::LoopStop() {
    CMixorel2001Doc& doc = GetDoc();
    if (doc.IsLooping()) {
        doc.StopLoop();
        return;
    }
    if (CChildFrame* looping = m_main.FindLoopingFrame()) {
        CMixorel2001View* other = looping->GetView();
        if (other != this) {
            QMetaObject::invokeMethod(
                other, [other] { other->RunCommand(kLoopStop); }, Qt::QueuedConnection);
        }
    }
}

void CMixorel2001View::PutIntoLoopingList(bool next) {
    CMixorel2001Doc& doc = GetDoc();
    const int mark = GetSelectionMark();
    {
        std::lock_guard lock(doc.GetMutex());
        const CSong* song = doc.GetSongAt(mark);
        if (song == nullptr || song->IsRegion()) {
            return;
        }
    }
    const std::vector<std::string> ids = GetSelectedIds();
    if (!doc.CopySongs(ids, false, false)) {
        return;
    }
    CChildFrame* looping = m_main.FindLoopingFrame();
    // Within the looping list the songs move rather than appear twice.
    if (looping != nullptr && looping->GetView() == this && !doc.RemoveSongs(ids)) {
        return;
    }
    const bool done = looping != nullptr && looping->GetView()->InsertFromClipboard(
                                                next ? Rules::kNextToPlayCode : Rules::kAtEndCode,
                                                IUserPrompt::kYesToAll, false, false, false);
    if (!done) {
        m_prompt.Message(kNoLoopingListText);
    } else if (!next) {
        m_prompt.Message(kSetLastText);
    } else if (m_main.GetSettings().m_nShowAlertAfterSetNext == 1) {
        m_prompt.Message(kSetNextText);
    }
}

bool CMixorel2001View::InsertFromClipboard(int code, IUserPrompt::DuplicateAnswer answer,
                                           bool useSelection, bool selectInserted,
                                           bool removeSelection, bool drag) {
    CMixorel2001Doc& doc = GetDoc();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    int loopPosition = 0;
    if (code == Rules::kNextToPlayCode) {
        doc.NextIndex(false, CMixorel2001Doc::kLoopMode, loopPosition);
    }
    const std::vector<std::string> selected =
        removeSelection ? GetSelectedIds() : std::vector<std::string>();
    const int after = Rules::InsertAfter(code, loopPosition, useSelection, GetSelectionMark());
    std::vector<std::string> inserted;
    bool ok = doc.PasteSongs(after, &inserted, drag, answer);
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

void CMixorel2001View::FastMove(bool down) {
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
        if (choose && !m_prompt.ChooseSaveFile("Copy file",
                                               "mp3 files (*.mp?);;WAV files (*.wav);;Modules "
                                               "(*.mod);;All files (*)",
                                               path, target)) {
            return;
        }
        QFile source(QString::fromStdString(path));
        const QString destination = QString::fromStdString(target);
        QString error;
        if (QFileInfo(destination).absoluteFilePath() == QFileInfo(source).absoluteFilePath()) {
            error = QStringLiteral("The file cannot be copied onto itself.");
        } else {
            QFile::remove(destination);
            if (source.copy(destination)) {
                m_prompt.Message("File copied successfully");
                return;
            }
            error = source.errorString();
        }
        const std::string text = "Error: " + error.toStdString() + "\rTried copying '" + title +
                                 "' to '" + target + "'\r\rRetry?";
        const IUserPrompt::Answer answer =
            m_prompt.Ask(text, IShellPrompt::kYesNoCancel, IShellPrompt::kIconError);
        if (answer == IUserPrompt::kAnswerCancel) {
            return;
        }
        choose = answer == IUserPrompt::kAnswerNo;
    }
}

void CMixorel2001View::SortByColumn(int column) {
    m_bSortAscending = column == m_nSortColumn ? !m_bSortAscending : true;
    m_nSortColumn = column;
    GetDoc().SortCommand(column, m_bSortAscending);
    m_pModel->RefreshNow();
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

// ---- Drag and drop ----

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

// ---- Dialogs ----

void CMixorel2001View::ShowLockDialog() {
    CMixorel2001Doc& doc = GetDoc();
    QDialog dialog(this);
    dialog.setWindowTitle(QStringLiteral("Playlist lock"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* locked = new QCheckBox(QStringLiteral("&Locked "), &dialog);
    auto* disable = new QCheckBox(QStringLiteral("&Disable player commands"), &dialog);
    locked->setChecked(doc.IsLocked());
    disable->setChecked(doc.IsPlayerCommandsDisabled());
    layout->addWidget(locked);
    layout->addWidget(disable);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    if (dialog.exec() == QDialog::Accepted) {
        doc.ApplyLock(locked->isChecked(), disable->isChecked());
    }
}

void CMixorel2001View::ShowSongTimer() {
    CMixorel2001Doc& doc = GetDoc();
    const int mark = GetSelectionMark();
    std::string title;
    CDateTime start = CDateTime::Null();
    {
        std::lock_guard lock(doc.GetMutex());
        const CSong* song = doc.GetSongAt(mark);
        if (song == nullptr) {
            return;
        }
        title = song->GetTitle();
        start = song->GetStart();
    }
    QDialog dialog(this);
    dialog.setWindowTitle(QStringLiteral("Song timer"));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(
        new QLabel(QStringLiteral("&Please set the starting time for the song"), &dialog));
    layout->addWidget(new QLabel(QString::fromStdString(title), &dialog));
    auto* label = new QLabel(QStringLiteral("S&tart date/time"), &dialog);
    auto* edit = new QDateTimeEdit(QDateTime::currentDateTime(), &dialog);
    edit->setCalendarPopup(true);
    std::tm fields{};
    if (!start.IsNull() && start.GetCalendar(fields)) {
        edit->setDateTime(QDateTime(QDate(fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday),
                                    QTime(fields.tm_hour, fields.tm_min, fields.tm_sec)));
    }
    label->setBuddy(edit);
    layout->addWidget(label);
    layout->addWidget(edit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, &dialog);
    QPushButton* set = buttons->addButton(QStringLiteral("&Set"), QDialogButtonBox::AcceptRole);
    QPushButton* reset = buttons->addButton(QStringLiteral("&Reset"), QDialogButtonBox::ResetRole);
    bool cleared = false;
    connect(set, &QPushButton::clicked, &dialog, &QDialog::accept);
    connect(reset, &QPushButton::clicked, &dialog, [&dialog, &cleared] {
        cleared = true;
        dialog.accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    std::lock_guard lock(doc.GetMutex());
    if (CSong* song = doc.GetSongAt(mark)) {
        song->SetStart(cleared ? CDateTime::Null()
                               : CDateTime::FromTime(edit->dateTime().toSecsSinceEpoch()));
        doc.SetModifiedFlag(true);
    }
    doc.UpdateViews(mark);
}

// The find dialog goes on from the list's previous find position each time.
void CMixorel2001View::ShowFindDialog() {
    auto* dialog = new QDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QStringLiteral("Find"));
    auto* layout = new QVBoxLayout(dialog);
    auto* label = new QLabel(QStringLiteral("Fi&nd what:"), dialog);
    auto* text = new QLineEdit(g_strLastFind, dialog);
    label->setBuddy(text);
    auto* whole = new QCheckBox(QStringLiteral("Match &whole word only"), dialog);
    auto* up = new QCheckBox(QStringLiteral("&Up"), dialog);
    layout->addWidget(label);
    layout->addWidget(text);
    layout->addWidget(whole);
    layout->addWidget(up);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, dialog);
    QPushButton* next =
        buttons->addButton(QStringLiteral("&Find Next"), QDialogButtonBox::ActionRole);
    next->setDefault(true);
    connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    connect(next, &QPushButton::clicked, this, [this, text, whole, up] {
        g_strLastFind = text->text();
        m_main.FindInList(m_playlist, g_strLastFind.toStdString(), !up->isChecked(),
                          whole->isChecked(), false);
    });
    layout->addWidget(buttons);
    dialog->show();
}

void CMixorel2001View::AddRegion() {
    if (RefuseWhenLocked()) {
        return;
    }
    CSettings settings = m_main.GetSettings();
    CRegionDialog dialog(this, settings, m_prompt,
                         CRegionDialog::DefaultsForAdd(std::time(nullptr),
                                                       CRegionDialog::WindowColour(),
                                                       CRegionDialog::WindowTextColour()));
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const CRegionDialog::Fields fields = dialog.GetFields();
    std::string id;
    if (GetDoc().AddRegion(GetSelectionMark(),
                           CMixorel2001Doc::MakeRegionHeader(fields.m_strName, fields.m_dtStart,
                                                             fields.m_crBack, fields.m_crText),
                           &id)) {
        m_pModel->RefreshNow();
        SelectLines({id});
        m_main.RefreshRegionsPanel();
    }
}

void CMixorel2001View::EditRegionAt(int line) {
    CMixorel2001Doc& doc = GetDoc();
    std::string id;
    CRegionDialog::Fields fields;
    {
        std::lock_guard lock(doc.GetMutex());
        const CSong* header = doc.GetSongAt(line);
        if (header == nullptr || !header->IsRegion()) {
            return;
        }
        id = header->GetId();
        fields.m_strName = header->GetTitle();
        fields.m_dtStart = header->GetStart();
        fields.m_crBack = header->GetBackColor();
        fields.m_crText = header->GetTextColor();
    }
    CSettings settings = m_main.GetSettings();
    CRegionDialog dialog(this, settings, m_prompt, fields);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    fields = dialog.GetFields();
    if (doc.EditRegion(id, fields.m_strName, fields.m_dtStart, fields.m_crBack, fields.m_crText)) {
        m_pModel->RefreshNow();
        m_main.RefreshRegionsPanel();
    }
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
