#include "ui/playlist/CChildFrame.h"

#include "catalogue/CLoopState.h"
#include "catalogue/CMixorel2001Doc.h"
#include "catalogue/CPlaylistColumns.h"
#include "catalogue/CSong.h"
#include "playback/CPlayer.h"
#include "playback/CScheduleListThread.h"
#include "settings/CColumnLayoutSettings.h"
#include "settings/CSettings.h"
#include "ui/playlist/CMixorel2001View.h"
#include "ui/playlist/CPlaylistModel.h"
#include "ui/playlist/CPlaylistViewRules.h"
#include "ui/playlist/CVolumeBar.h"
#include "ui/shell/CMainFrame.h"
#include "ui/shell/COpenPlaylist.h"
#include "ui/toolkit/CListFont.h"
#include "ui/toolkit/CThemeIcon.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <algorithm>
#include <ctime>
#include <mutex>

namespace {

struct PaneInfo {
    const char* text;
    const char* tooltip;
    int width; // 0: takes the rest
};

constexpr PaneInfo kPanes[5] = {
    {"Not playing", "Double click to seek", 130},
    {"", "Double click to see the song [CTRL+B]", 0},
    {"no alarm", "Alarm time", 45},
    {"0 files", nullptr, 60},
    {"0h 0m 0s", nullptr, 70},
};

} // namespace

CChildFrame::CChildFrame(CMainFrame& main, COpenPlaylist& playlist)
    : QMdiSubWindow(nullptr), m_main(main), m_playlist(playlist) {
    // The window menu's Close carries the desktop's close keys, Ctrl+W among them; the
    // main window's "Media &walker" has Ctrl+W, and one key on two actions fires neither.
    if (QMenu* menu = systemMenu()) {
        const QKeySequence walkerKey(Qt::CTRL | Qt::Key_W);
        for (QAction* action : menu->actions()) {
            QList<QKeySequence> keys = action->shortcuts();
            if (keys.removeAll(walkerKey) > 0) {
                action->setShortcuts(keys);
            }
        }
    }
    // An inner main window carries the window's bars: movable toolbars over the list and
    // the status panes under it.
    auto* body = new QMainWindow(nullptr);
    body->setWindowFlags(Qt::Widget);
    m_pModel = new CPlaylistModel(playlist.GetDoc(), this);
    m_pList = new CMixorel2001View(main, playlist, m_pModel, body);
    m_pList->verticalHeader()->hide();
    // Fixed row heights: the table never measures 100,000 rows.
    m_pList->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    const CSettings settings = main.GetSettings();
    SetListFont(CListFont::Make(settings.m_strListViewFontName, settings.m_nListViewFontSize));
    RestoreColumns();
    body->setCentralWidget(m_pList);
    BuildToolBars(*body);
    auto* status = new QStatusBar(body);
    status->setSizeGripEnabled(false);
    for (int pane = 0; pane < 5; ++pane) {
        auto* label = new QLabel(QString::fromLatin1(kPanes[pane].text), status);
        if (kPanes[pane].tooltip != nullptr) {
            label->setToolTip(QString::fromLatin1(kPanes[pane].tooltip));
        }
        if (kPanes[pane].width > 0) {
            // At least the pane's own width, and room for its first text in this font.
            const int text = label->fontMetrics().horizontalAdvance(label->text()) + 8;
            label->setMinimumWidth(std::max(kPanes[pane].width, text));
        }
        if (kPanes[pane].width == 0) {
            // The title takes what is left and gives way to the other panes.
            label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        }
        status->addWidget(label, kPanes[pane].width == 0 ? 1 : 0);
        m_apPanes[pane] = label;
    }
    m_pLoopAnimation = new QLabel(status);
    m_pLoopAnimation->setMinimumWidth(m_pLoopAnimation->fontMetrics().horizontalAdvance(
        QString::fromStdString(CPlaylistViewRules::LoopAnimationFrame(0))));
    m_pLoopAnimation->hide();
    status->insertWidget(0, m_pLoopAnimation);
    m_pAnimationTimer = new QTimer(this);
    connect(m_pAnimationTimer, &QTimer::timeout, this, [this] {
        m_pLoopAnimation->setText(
            QString::fromStdString(CPlaylistViewRules::LoopAnimationFrame(++m_nAnimationFrame)));
    });
    m_apPanes[0]->installEventFilter(this);
    m_apPanes[1]->installEventFilter(this);
    body->setStatusBar(status);
    setWidget(body);
    resize(kDefaultWidth, kDefaultHeight);
    connect(m_pModel, &CPlaylistModel::ScrollRequested, this, &CChildFrame::ScrollTo);
    m_pStatusTimer = new QTimer(this);
    connect(m_pStatusTimer, &QTimer::timeout, this, &CChildFrame::RefreshStatus);
    m_pStatusTimer->start(kStatusPeriodMs);
    m_pTitleTimer = new QTimer(this);
    connect(m_pTitleTimer, &QTimer::timeout, this, &CChildFrame::RefreshTitle);
    m_pTitleTimer->start(kTitlePeriodMs);
    m_pAlarmTimer = new QTimer(this);
    connect(m_pAlarmTimer, &QTimer::timeout, this, &CChildFrame::CheckAlarm);
    RefreshAlarm();
    RefreshStatus();
    RefreshCaption();
}

// The transport bar (the list's own commands, which act on this list) and the bar of
// "Rem Played" and the volume slider.
void CChildFrame::BuildToolBars(QMainWindow& body) {
    struct Button {
        int command;
        const char* icon;
        QStyle::StandardPixmap fallback;
    };
    static constexpr Button kButtons[] = {
        {CMixorel2001View::kPlay, "media-playback-start", QStyle::SP_MediaPlay},
        {CMixorel2001View::kStop, "media-playback-stop", QStyle::SP_MediaStop},
        {CMixorel2001View::kPause, "media-playback-pause", QStyle::SP_MediaPause},
        {CMixorel2001View::kNext, "media-skip-forward", QStyle::SP_MediaSkipForward},
        {CMixorel2001View::kFadeNext, "media-seek-forward", QStyle::SP_MediaSeekForward},
        {CMixorel2001View::kFadeStop, "audio-volume-muted", QStyle::SP_MediaVolumeMuted},
        {CMixorel2001View::kLoop, "media-playlist-repeat", QStyle::SP_BrowserReload},
        {CMixorel2001View::kLoopStop, "process-stop", QStyle::SP_BrowserStop},
        {0, nullptr, QStyle::SP_CustomBase},
        {CMixorel2001View::kSetNext, "go-jump", QStyle::SP_ArrowForward},
        {CMixorel2001View::kLock, nullptr, QStyle::SP_CustomBase},
    };
    auto* transport = new QToolBar(QStringLiteral("Playlist"), &body);
    transport->setObjectName(QStringLiteral("PlaylistToolBar"));
    transport->setIconSize(QSize(16, 16));
    for (const Button& button : kButtons) {
        if (button.command == 0) {
            transport->addSeparator();
            continue;
        }
        QAction* action = m_pList->GetAction(button.command);
        action->setIcon(button.icon != nullptr ? CThemeIcon::Get(button.icon, button.fallback)
                                               : CThemeIcon::Padlock());
        transport->addAction(action);
        m_barCommands.push_back(button.command);
    }
    QAction* find = transport->addAction(
        CThemeIcon::Get("edit-find", QStyle::SP_FileDialogContentsView), QStringLiteral("Find"));
    find->setToolTip(QStringLiteral("Find (Ctrl+F)"));
    connect(find, &QAction::triggered, this, [this] { m_main.ToggleFindPanel(); });
    body.addToolBar(Qt::TopToolBarArea, transport);

    auto* volume = new QToolBar(QStringLiteral("Volume"), &body);
    volume->setObjectName(QStringLiteral("VolumeToolBar"));
    m_pRemovePlayed = new QCheckBox(QStringLiteral("Rem Played"), volume);
    m_pRemovePlayed->setChecked(m_playlist.GetDoc().IsRemovePlayed());
    connect(m_pRemovePlayed, &QCheckBox::toggled, this,
            [this](bool on) { m_playlist.GetDoc().SetRemovePlayed(on); });
    volume->addWidget(m_pRemovePlayed);
    m_pVolume = new CVolumeBar(&m_main.GetPrompt(), volume);
    volume->addWidget(m_pVolume);
    body.addToolBar(Qt::TopToolBarArea, volume);
}

CChildFrame::~CChildFrame() = default;

// The layout kept in the section "playlistview" (by "&Like current list" or by the user's
// last change of a list's headings). The Song column takes the free width.
void CChildFrame::RestoreColumns() {
    QHeaderView* header = m_pList->horizontalHeader();
    header->setSectionsMovable(true);
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(0);
    CColumnLayoutSettings columns;
    columns.Load(CPlaylistColumns::kCount);
    for (int column = 0; column < CPlaylistColumns::kCount; ++column) {
        const int stored = columns.GetSize(column);
        m_pList->setColumnWidth(column,
                                stored >= 0 ? stored : CPlaylistColumns::DefaultWidth(column));
    }
    for (int position = 0; position < CPlaylistColumns::kCount; ++position) {
        header->moveSection(header->visualIndex(columns.GetColumnAt(position)), position);
    }
    header->setSectionResizeMode(kSongColumn, QHeaderView::Stretch);
    // From here on, what the user does to the headings is kept for the next window, once
    // the drag ends (a drag changes a width many times). The Song column's width follows
    // the window and is not a choice of the user's.
    connect(header, &QHeaderView::sectionMoved, this, [this] { m_bColumnsChanged = true; });
    connect(header, &QHeaderView::sectionResized, this,
            [this](int column) { m_bColumnsChanged = m_bColumnsChanged || column != kSongColumn; });
    header->viewport()->installEventFilter(this);
}

bool CChildFrame::StoreColumns(ISettingsStore& store) {
    const QHeaderView* header = m_pList->horizontalHeader();
    CColumnLayoutSettings layout;
    for (int position = 0; position < CPlaylistColumns::kCount; ++position) {
        layout.m_anOrder.push_back(header->logicalIndex(position));
    }
    for (int column = 0; column < CPlaylistColumns::kCount; ++column) {
        layout.m_anSize.push_back(header->isSectionHidden(column) ? 0
                                                                  : header->sectionSize(column));
    }
    return layout.Save(store);
}

QString CChildFrame::GetPaneText(int pane) const {
    return pane >= 0 && pane < 5 ? m_apPanes[pane]->text() : QString();
}

void CChildFrame::RefreshCaption() {
    setWindowTitle(QString::fromStdString(m_playlist.GetDoc().GetTitle()));
}

QString CChildFrame::TotalTimeText(std::uint32_t seconds) {
    return QStringLiteral("%1h %2m %3s")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60)
        .arg(seconds % 60);
}

QTableView* CChildFrame::GetList() {
    return m_pList;
}

// Selected lines and visible lines only: a list of 100,000 songs costs nothing here.
void CChildFrame::RefreshStatus() {
    using Rules = CPlaylistViewRules;
    CMixorel2001Doc& doc = m_playlist.GetDoc();
    const int count = doc.GetCount();
    const int regions = static_cast<int>(doc.GetRegionList().size());
    const int selected = m_pList->GetSelectedCount();
    m_apPanes[3]->setText(QString::fromStdString(Rules::CountPaneText(selected, count, regions)));
    std::uint32_t total = doc.GetTotalTime();
    if (selected >= 2) {
        total = 0;
        const std::vector<std::string> ids = m_pList->GetSelectedIds();
        std::lock_guard lock(doc.GetMutex());
        for (const std::string& id : ids) {
            if (const CSong* song = doc.FindById(id)) {
                total += song->GetDuration();
            }
        }
    }
    m_apPanes[4]->setText(QString::fromStdString(Rules::TotalPaneText(total)));
    m_pList->RefreshEnabling(m_barCommands);
    if (m_pRemovePlayed->isChecked() != doc.IsRemovePlayed()) {
        const QSignalBlocker blocker(m_pRemovePlayed);
        m_pRemovePlayed->setChecked(doc.IsRemovePlayed());
    }
    const bool loops = doc.IsLooping() || CScheduleListThread::IsRegionPlaying();
    CPlayer* player = m_main.GetActivePlayer();
    std::int32_t position = 0;
    std::int32_t length = 0;
    int mode = -1;
    if (player != nullptr) {
        mode = player->GetMode(true);
        if (mode == 1) {
            player->GetPosition(position);
            player->GetLength(length);
        }
    }
    const bool lookWasOn = m_bLoopLook;
    RefreshLooks();
    if (m_bLoopLook != lookWasOn) {
        m_pLoopAnimation->setVisible(m_bLoopLook);
        if (m_bLoopLook) {
            m_pAnimationTimer->start(Rules::kLoopAnimationMs);
        } else {
            m_pAnimationTimer->stop();
        }
    }
    m_apPanes[0]->setText(QString::fromStdString(Rules::PaneTextAfterLoopLook(
        lookWasOn, m_bLoopLook, Rules::PlayerPaneText(mode, loops, position, length))));
    const std::pair<int, int> range = m_pList->GetVisibleRange();
    if (range != m_reportedRange && range.first >= 0) {
        m_reportedRange = range;
        doc.SetProcessRange(range.first, range.second);
    }
    const QString title = QString::fromStdString(doc.GetTitle());
    if (title != windowTitle()) {
        setWindowTitle(title);
    }
    // The title pane follows a Next, a region's end or a skipped song at once; it turns
    // between "Now:" and "Next:" on its own timer.
    ShowTitle(m_bPaneShowsNext);
}

// The whole list in the schedule colours while its region plays, else in the loop
// colours while its driver runs, else in the system colours.
void CChildFrame::RefreshLooks() {
    CMixorel2001Doc& doc = m_playlist.GetDoc();
    m_bScheduleLook =
        CScheduleListThread::IsScheduled(&doc) && CScheduleListThread::IsRegionPlaying();
    m_bLoopLook = doc.IsLooping();
    m_pModel->SetListLook(m_bScheduleLook ? CPlaylistModel::kScheduleLook
                          : m_bLoopLook   ? CPlaylistModel::kLoopLook
                                          : CPlaylistModel::kSystemLook,
                          m_main.GetSettings());
}

// "Now:" and "Next:" in turn while the list loops; the player's title otherwise.
void CChildFrame::RefreshTitle() {
    const bool loops = ShowTitle(m_bShowNext);
    m_bShowNext = loops && !m_bShowNext;
}

// The titles are those of the list's own lines (as the Song column shows them), found by
// the marks the loop and the scheduler put on them; the player's title stands in for a
// song that is no longer in the list.
bool CChildFrame::ShowTitle(bool next) {
    using Rules = CPlaylistViewRules;
    CMixorel2001Doc& doc = m_playlist.GetDoc();
    CPlayer* player = m_main.GetActivePlayer();
    std::string title;
    const bool read = player != nullptr && player->IsConnected() && player->GetTitle(title);
    const bool regionPlays =
        CScheduleListThread::IsScheduled(&doc) && CScheduleListThread::IsRegionPlaying();
    const bool loops = doc.IsLooping() || regionPlays;
    std::string nextTitle;
    if (loops) {
        Rules::MarkedLines marks;
        marks.loopPlaying = doc.FindMark(CMixorel2001Doc::kMarkLoopPlaying);
        marks.loopNext = doc.FindMark(CMixorel2001Doc::kMarkLoopNext);
        marks.schedulePlaying = doc.FindMark(CMixorel2001Doc::kMarkSchedulePlaying);
        marks.scheduleNext = doc.FindMark(CMixorel2001Doc::kMarkScheduleNext);
        std::lock_guard lock(doc.GetMutex());
        const auto textOf = [&doc](int line) {
            const CSong* song = doc.GetSongAt(line);
            return song != nullptr ? CPlaylistColumns::CellText(*song, kSongColumn) : std::string();
        };
        const auto isHeader = [&doc](int line) {
            const CSong* song = doc.GetSongAt(line);
            return song != nullptr && song->IsRegion();
        };
        // A region of another list plays: the player's title is the one that plays.
        const bool otherRegion = !regionPlays && CScheduleListThread::IsRegionPlaying();
        const int now = otherRegion ? -1 : Rules::NowLine(marks, regionPlays);
        if (now >= 0) {
            title = textOf(now);
        }
        const int position = regionPlays ? doc.GetSchedulePos() : doc.GetLoopPos();
        nextTitle = textOf(Rules::NextLine(marks, regionPlays, position, isHeader, doc.GetCount()));
    }
    const QString text =
        QString::fromStdString(Rules::TitlePaneText(read, title, loops, loops && next, nextTitle));
    if (text != m_apPanes[1]->text()) {
        m_apPanes[1]->setText(text);
    }
    m_bPaneShowsNext = loops && next;
    return loops;
}

void CChildFrame::SetPreSized(bool preSized) {
    if (preSized == m_bPreSized) {
        return;
    }
    m_bPreSized = preSized;
    if (isMaximized()) {
        showNormal();
    }
    setWindowFlag(Qt::WindowMaximizeButtonHint, !preSized);
    if (preSized) {
        m_savedSize = size();
        setFixedHeight(kPreSizedHeight);
        resize(width(), kPreSizedHeight);
    } else {
        setMinimumHeight(0);
        setMaximumHeight(QWIDGETSIZE_MAX);
        resize(m_savedSize);
    }
    show();
}

void CChildFrame::RefreshAlarm() {
    const CDateTime alarm = m_playlist.GetDoc().GetAlarm();
    m_apPanes[2]->setText(alarm.IsNull() ? QStringLiteral("no alarm")
                                         : QString::fromStdString(alarm.Format("%H:%M:%S")));
    m_alarm.Reset();
    if (alarm.IsNull()) {
        m_pAlarmTimer->stop();
    } else {
        m_pAlarmTimer->start(kAlarmPeriodMs);
    }
}

// At the alarm's time of day the loop starts at the selected line (the first one when
// none is selected).
void CChildFrame::CheckAlarm() {
    const CDateTime alarm = m_playlist.GetDoc().GetAlarm();
    if (alarm.IsNull() || !m_alarm.IsDue(alarm, CDateTime::FromTime(std::time(nullptr)))) {
        return;
    }
    const QModelIndex current = m_pList->currentIndex();
    m_main.StartLoop(m_playlist, current.isValid() ? current.row() : 0);
}

void CChildFrame::ScrollTo(int line) {
    m_pList->scrollTo(m_pModel->index(line, 0));
}

void CChildFrame::CloseNow() {
    m_bClosing = true;
    m_pStatusTimer->stop();
    m_pTitleTimer->stop();
    m_pAlarmTimer->stop();
    m_pModel->Detach();
    close();
}

void CChildFrame::closeEvent(QCloseEvent* event) {
    if (m_bClosing) {
        event->accept();
        QMdiSubWindow::closeEvent(event);
        return;
    }
    // The main window asks the document and closes it; this window goes with it.
    event->ignore();
    m_main.RequestClosePlaylist(m_playlist);
}

bool CChildFrame::eventFilter(QObject* watched, QEvent* event) {
    // A heading dropped at its new place moves when the heading has the release too.
    if (event->type() == QEvent::MouseButtonRelease &&
        watched == m_pList->horizontalHeader()->viewport()) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_bColumnsChanged) {
                    m_bColumnsChanged = false;
                    StoreColumns();
                }
            },
            Qt::QueuedConnection);
    }
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (watched == m_apPanes[0]) {
            m_pList->RunCommand(CMixorel2001View::kSeek);
            return true;
        }
        if (watched == m_apPanes[1]) {
            m_pList->RunCommand(CMixorel2001View::kViewNext);
            return true;
        }
    }
    return QMdiSubWindow::eventFilter(watched, event);
}

void CChildFrame::SetListFont(const QFont& font) {
    m_pList->setFont(font);
    m_pList->verticalHeader()->setDefaultSectionSize(m_pList->fontMetrics().height() + 4);
}

void CChildFrame::StepVolume(bool up) {
    m_pVolume->StepVolume(up);
}
