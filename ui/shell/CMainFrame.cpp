// The main window's construction and life: its parts built in order, the stored placement,
// files dropped on it, and the closing of the window and of the program.

#include "ui/shell/CMainFrame.h"

#include "catalogue/CMixorel2001Doc.h"
#include "playback/CScheduleListThread.h"
#include "settings/CSharedSettings.h"
#include "settings/CWindowPlacementSettings.h"
#include "settings/ProgramFolder.h"
#include "ui/air/CBroadcastController.h"
#include "ui/bar/CViewSelectDlgBar.h"
#include "ui/options/COptionsDialog.h"
#include "ui/playlist/CSeekPanel.h"
#include "ui/prompts/CQtImportUi.h"
#include "ui/prompts/CSessionPrompt.h"
#include "ui/shell/CAlbumCloser.h"
#include "ui/shell/CMainFrameEntry.h"
#include "ui/shell/COpenPlaylist.h"
#include "ui/shell/CPlayerHub.h"
#include "ui/toolkit/CPumpingRun.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDropEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPrinter>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QUrl>
#include <span>

namespace {

// Window show states of the stored placement.
constexpr int kShowMinimized = 2;
constexpr int kShowMaximized = 3;
constexpr int kShowNormal = 1;

} // namespace

CMainFrame::CMainFrame(const Services& services) : m_services(services), m_albums(*this) {
    setWindowTitle(QString::fromLatin1(kAppTitle));
    setWindowIcon(QIcon(QStringLiteral(":/mixorel/mixorel.png")));
    setAcceptDrops(true);
    setDockOptions(dockOptions() | QMainWindow::AllowTabbedDocks);
    m_pImportUi = std::make_unique<CQtImportUi>(this, *m_services.pPrompt);
    m_locations.Load(CLocationList::DefaultPath());
    m_pMdi = new QMdiArea(this);
    m_pMdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_pMdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // A window keeps its own size when it becomes active: the area would otherwise
    // maximize every playlist that comes over a maximized one ("maximizechild" maximizes
    // the first only).
    m_pMdi->setOption(QMdiArea::DontMaximizeSubWindowOnActivation, true);
    setCentralWidget(m_pMdi);
    connect(m_pMdi, &QMdiArea::subWindowActivated, this, &CMainFrame::OnChildActivated);
    BuildPanels();
    BuildPlaylistsBar();
    BuildMenus();
    BuildToolBar();
    BuildStatusBar();
    m_pBroadcast = new CBroadcastController(*this, *m_services.pStore, *m_services.pPrompt, [this] {
        ShowOptions(COptionsDialog::kBroadcastPage);
    });
    BuildTray();
    std::vector<std::uint8_t> state;
    if (m_services.pStore->GetProfileBinary(kBarStateSection, "state", state)) {
        restoreState(QByteArray(reinterpret_cast<const char*>(state.data()),
                                static_cast<qsizetype>(state.size())));
    } else {
        // First run: the playlists bar a strip under the playlists, not half the window.
        resizeDocks({m_pPlaylistsBar}, {110}, Qt::Vertical);
    }
    m_pTrayTimer = new QTimer(this);
    connect(m_pTrayTimer, &QTimer::timeout, this, &CMainFrame::OnTrayTimer);
    m_pTrayTimer->start(kTrayTimerMs);
    m_pIdleTimer = new QTimer(this);
    connect(m_pIdleTimer, &QTimer::timeout, this, &CMainFrame::OnIdleTimer);
    m_pIdleTimer->start(kIdleTimerMs);
    CMixorel2001Doc::SetShutdownRequest(this);
}

CMainFrame::~CMainFrame() {
    CScheduleListThread::StopScheduler();
    CMixorel2001Doc::SetShutdownRequest(nullptr);
    CloseAllNow();
    if (!m_bClosed) {
        m_locations.Save(CLocationList::DefaultPath());
    }
}

void CMainFrame::SetPlayers(CPlayerHub* players) {
    m_pPlayers = players;
    m_pSeek->SetPlayer(players != nullptr ? &players->GetPlayer() : nullptr);
    if (players != nullptr && m_pMpris == nullptr) {
        StartMprisServer();
    }
}

IShellPrompt& CMainFrame::GetPrompt() {
    return *m_services.pPrompt;
}

// ---- Closing ----

bool CMainFrame::CloseAlbumRoutine(bool askCloseAll) {
    CAlbumCloser closer(*this, m_albums, *m_services.pPrompt, *m_services.pStore);
    return closer.Run(askCloseAll);
}

bool CMainFrame::SaveAllDocuments(bool ask, bool keepGoing) {
    bool ok = true;
    for (COpenPlaylist* playlist : GetPlaylists()) {
        if (ask) {
            if (!playlist->SaveModified()) {
                return false;
            }
        } else if (playlist->IsModified() && !playlist->Save()) {
            ok = false;
            if (!keepGoing) {
                return false;
            }
        }
    }
    return ok;
}

// The framework's part of closing: each remaining playlist's checks and question.
bool CMainFrame::CloseRemaining(bool quickClose) {
    for (COpenPlaylist* playlist : GetPlaylists()) {
        if (!playlist->CanClose(quickClose)) {
            return false;
        }
    }
    CloseAllNow();
    return true;
}

void CMainFrame::CloseAllNow() {
    while (!m_entries.empty()) {
        DropEntry(*m_entries.front());
    }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (CPumpingRun::AnyRunning()) {
        // A run still works on a playlist (its progress window lets this close through):
        // it stops first, and the close comes back once it has ended.
        event->ignore();
        CPumpingRun::CancelAllThen([this] { close(); });
        return;
    }
    const bool quick = m_bQuickClose;
    m_bQuickClose = false;
    if (!quick && !CloseAlbumRoutine(false)) {
        event->ignore();
        return;
    }
    StorePlacement();
    const QByteArray state = saveState();
    m_services.pStore->WriteProfileBinary(
        kBarStateSection, "state",
        std::span(reinterpret_cast<const std::uint8_t*>(state.constData()),
                  static_cast<std::size_t>(state.size())));
    if (!CloseRemaining(quick)) {
        event->ignore();
        return;
    }
    m_locations.Save(CLocationList::DefaultPath());
    m_bClosed = true;
    m_pTray->hide();
    event->accept();
    // The program ends with its main window, not with whichever window closed last (a
    // message box while the main window sits in the tray).
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

void CMainFrame::QuickClose() {
    m_bQuickClose = true;
    QTimer::singleShot(0, this, [this] {
        if (!close()) {
            m_bQuickClose = false;
        }
    });
}

void CMainFrame::KeepWorkAndClose() {
    CScheduleListThread::StopScheduler();
    m_services.pPrompt->SetUnattended(GetProgramFolder());
    if (CPumpingRun::AnyRunning()) {
        // The runs stop and return first; what they did is then saved with the rest.
        CPumpingRun::CancelAllThen([this] { KeepWorkAndClose(); });
        return;
    }
    SaveAllDocuments(false, true);
    if (!close()) {
        // Something still refused (a scheduled list): the work is saved, so end anyway.
        CloseAllNow();
        QCoreApplication::exit(0);
        return;
    }
    // Before the main loop runs (a signal while the start-up question is open) the quit
    // does nothing: the boxes still open are ended so the start-up steps can finish.
    for (int guard = 0; guard < 16; ++guard) {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            break;
        }
        dialog->reject();
    }
}

void CMainFrame::RequestShutdown() {
    QMetaObject::invokeMethod(
        this, [this] { ShutDownPc(); }, Qt::QueuedConnection);
}

bool CMainFrame::ShutDownPc() {
    if (m_services.pPrompt->IsUnattended()) {
        return false;
    }
    if (m_services.pSettings->Get().m_bAskShutdownPc != 0 &&
        m_services.pPrompt->Ask(kShutdownQuestion, IShellPrompt::kYesNo,
                                IShellPrompt::kIconExclamation) != IUserPrompt::kAnswerYes) {
        return false;
    }
    if (m_services.pPowerOff != nullptr) {
        m_services.pPowerOff->RequestShutdown();
    }
    return m_services.pPowerOff != nullptr;
}

// ---- Placement and drops ----

void CMainFrame::ShowWithPlacement() {
    CWindowPlacementSettings placement;
    placement.Load(*m_services.pStore);
    m_bPlacementApplied = true;
    if (placement.m_nX != -1) {
        setGeometry(placement.m_nX, placement.m_nY, placement.m_nWidth, placement.m_nHeight);
    } else {
        resize(placement.m_nWidth, placement.m_nHeight);
        if (const QScreen* screen = QApplication::primaryScreen()) {
            QRect rect = geometry();
            rect.moveCenter(screen->availableGeometry().center());
            move(rect.topLeft());
        }
    }
    switch (placement.m_nCmdShow) {
    case kShowMaximized:
        showMaximized();
        break;
    case kShowMinimized:
    case 6:
    case 7:
        showMinimized();
        break;
    default:
        show();
    }
}

void CMainFrame::StorePlacement() {
    CWindowPlacementSettings placement;
    const QRect rect = normalGeometry().isValid() ? normalGeometry() : geometry();
    placement.m_nX = rect.x();
    placement.m_nY = rect.y();
    placement.m_nWidth = rect.width();
    placement.m_nHeight = rect.height();
    placement.m_nCmdShow = isMaximized()   ? kShowMaximized
                           : isMinimized() ? kShowMinimized
                                           : kShowNormal;
    placement.m_nFlags = 0;
    placement.Save(*m_services.pStore);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void CMainFrame::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    event->acceptProposedAction();
    for (const QUrl& url : urls) {
        if (url.isLocalFile()) {
            OpenFile(url.toLocalFile().toStdString());
        }
    }
}
