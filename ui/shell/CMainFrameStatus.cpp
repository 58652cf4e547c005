// The status bar: the help line and the Idle/Looping pane, kept by the idle timer, whose
// double click brings the looping list forward.

#include "ui/shell/CMainFrame.h"

#include "catalogue/CMixorel2001Doc.h"
#include "ui/shell/CMainFrameEntry.h"
#include "ui/shell/COpenPlaylist.h"

#include <QEvent>
#include <QLabel>
#include <QStatusBar>

void CMainFrame::BuildStatusBar() {
    statusBar()->showMessage(QStringLiteral("For Help, press F1"));
    // Menu items without a prompt of their own leave the help line in place.
    connect(statusBar(), &QStatusBar::messageChanged, this, [this](const QString& message) {
        if (message.isEmpty()) {
            statusBar()->showMessage(QStringLiteral("For Help, press F1"));
        }
    });
    m_pIdlePane = new QLabel(QStringLiteral("Idle"), this);
    m_pIdlePane->setMinimumWidth(60);
    m_pIdlePane->setAlignment(Qt::AlignCenter);
    m_pIdlePane->installEventFilter(this);
    BuildAnalysisPane();
    statusBar()->addPermanentWidget(m_pIdlePane);
}

void CMainFrame::OnIdleTimer() {
    bool looping = false;
    for (const auto& entry : m_entries) {
        looping = looping || entry->pPlaylist->GetDoc().IsLooping();
    }
    m_pIdlePane->setText(looping ? QStringLiteral("Looping") : QStringLiteral("Idle"));
    SyncPlaylistsBar();
    FeedAnalysis();
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_pIdlePane && event->type() == QEvent::MouseButtonDblClick) {
        for (const auto& entry : m_entries) {
            if (entry->pPlaylist->GetDoc().IsLooping()) {
                ShowEntry(*entry);
            }
        }
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}
