// The main window's links to the desktop: the MPRIS server of the media keys and the sound
// applet, the tray icon with its menu and its tooltip, and the song-start notifications.

#include "ui/shell/CMainFrame.h"

#include "catalogue/CMixorel2001Doc.h"
#include "playback/CNowPlaying.h"
#include "playback/CPlayer.h"
#include "ui/desktop/CMprisServer.h"
#include "ui/playlist/CChildFrame.h"
#include "ui/prompts/CSessionPrompt.h"
#include "ui/shell/CMainFrameEntry.h"
#include "ui/shell/COpenPlaylist.h"
#include "ui/shell/CPlayerHub.h"
#include "ui/toolkit/StdToQString.h"

#include <QAction>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QEvent>
#include <QMdiArea>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTableView>
#include <QTimer>

// The media keys and the desktop's sound applet reach the player through MPRIS.
void CMainFrame::StartMprisServer() {
    CMprisServer::Commands commands;
    auto looping = [this]() -> CMixorel2001Doc* {
        for (const auto& entry : m_entries) {
            CMixorel2001Doc& doc = entry->pPlaylist->GetDoc();
            if (doc.IsLooping() || doc.IsScheduled()) {
                return &doc;
            }
        }
        return nullptr;
    };
    commands.read = [this, looping] {
        return CNowPlaying::Read(m_pPlayers->GetPlayer(), looping() != nullptr);
    };
    commands.next = [this] { m_pPlayers->GetPlayer().Skip(); };
    commands.stop = [this, looping] {
        if (CMixorel2001Doc* doc = looping()) {
            doc->StopLoop();
        }
        m_pPlayers->GetPlayer().Stop();
    };
    commands.pause = [this] { m_pPlayers->GetPlayer().PauseResume(); };
    commands.play = [this] {
        auto* frame = qobject_cast<CChildFrame*>(m_pMdi->activeSubWindow());
        if (frame != nullptr) {
            const QModelIndex current = frame->GetList()->currentIndex();
            StartLoop(frame->GetPlaylist(), current.isValid() ? current.row() : 0);
        }
    };
    commands.setVolume = [this](double volume) {
        m_pPlayers->GetPlayer().SetVolume(CPlayer::kIgnored,
                                          static_cast<std::int32_t>(1000 - volume * 1000 + 0.5));
    };
    commands.raise = [this] { RestoreFromTray(); };
    commands.quit = [this] { close(); };
    commands.trackStarted = [this](const CNowPlaying& now) { NotifySongStart(now); };
    m_pMpris = new CMprisServer(std::move(commands), this);
    if (!m_pMpris->Register(QDBusConnection::sessionBus())) {
        delete m_pMpris;
        m_pMpris = nullptr;
    }
}

void CMainFrame::BuildTray() {
    m_pTray = new QSystemTrayIcon(windowIcon(), this);
    m_pTray->setToolTip(QString::fromLatin1(kAppTitle));
    m_pTrayMenu = new QMenu(this);
    QAction* restore = m_pTrayMenu->addAction(QStringLiteral("Restore"));
    QFont bold = restore->font();
    bold.setBold(true);
    restore->setFont(bold);
    connect(restore, &QAction::triggered, this, &CMainFrame::RestoreFromTray);
    QAction* exit = m_pTrayMenu->addAction(QStringLiteral("E&xit QMX"));
    connect(exit, &QAction::triggered, this, &CMainFrame::ExitFromTray);
    m_pTray->setContextMenu(m_pTrayMenu);
    connect(m_pTray, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason why) {
                if (why == QSystemTrayIcon::DoubleClick || why == QSystemTrayIcon::Trigger) {
                    RestoreFromTray();
                }
            });
}

void CMainFrame::OnTrayTimer() {
    std::string title;
    if (m_pPlayers != nullptr) {
        m_pPlayers->GetPlayer().GetTitle(title);
    }
    m_pTray->setToolTip(title.empty() ? QString::fromLatin1(kAppTitle)
                                      : QStringLiteral("Playing: %1").arg(Q(title)));
}

void CMainFrame::RestoreFromTray() {
    m_pTray->hide();
    if (isMinimized() || !isVisible()) {
        showNormal();
    }
    raise();
    activateWindow();
}

void CMainFrame::ExitFromTray() {
    m_pTray->hide();
    if (isMinimized() || !isVisible()) {
        showNormal();
    }
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    show();
    setWindowFlag(Qt::WindowStaysOnTopHint, false);
    show();
    raise();
    if (m_services.pPrompt->Ask(kQuitQuestion, IShellPrompt::kYesNo,
                                IShellPrompt::kIconExclamation) == IUserPrompt::kAnswerYes) {
        QTimer::singleShot(0, this, &QWidget::close);
        return;
    }
    hide();
    m_pTray->show();
}

void CMainFrame::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !isMinimized()) {
        return;
    }
    CSettings settings(*m_services.pStore);
    settings.Load();
    if (settings.m_bMinimizeToTray != 0 && QSystemTrayIcon::isSystemTrayAvailable()) {
        QTimer::singleShot(0, this, [this] {
            hide();
            m_pTray->show();
        });
    }
}

// "notifysongstart": the desktop's notification service names the song that starts, each
// notification replacing the one before.
void CMainFrame::NotifySongStart(const CNowPlaying& now) {
    CSettings settings(*m_services.pStore);
    settings.Load();
    if (settings.m_bNotifySongStart != 1) {
        return;
    }
    QDBusMessage notify = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    const QString body = now.strArtist.empty()
                             ? Q(now.strTitle)
                             : QStringLiteral("%1 - %2").arg(Q(now.strArtist), Q(now.strTitle));
    notify << QString::fromLatin1(kAppTitle) << m_nNotificationId << QStringLiteral("mixorel")
           << QStringLiteral("Now playing") << body << QStringList() << QVariantMap()
           << static_cast<qint32>(5000);
    QDBusConnection::sessionBus().callWithCallback(notify, this, SLOT(OnNotified(uint)));
}

void CMainFrame::OnNotified(uint id) {
    m_nNotificationId = id;
}
