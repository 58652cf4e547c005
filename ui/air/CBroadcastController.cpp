#include "ui/air/CBroadcastController.h"

#include "catalogue/CPlayedSongs.h"
#include "platform/CKeyringPassword.h"
#include "platform/air/CAirStation.h"
#include "platform/air/CGstLevelTap.h"
#include "platform/air/MixTapHook.h"
#include "settings/CBroadcastSettings.h"
#include "ui/air/CLevelMeter.h"
#include "ui/prompts/IShellPrompt.h"
#include "ui/toolkit/CThemeIcon.h"

#include <QAction>
#include <QInputDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

namespace {

constexpr int kRefreshMs = 100;

} // namespace

CBroadcastController::CBroadcastController(QMainWindow& window, ISettingsStore& store,
                                           IShellPrompt& prompt, std::function<void()> showOptions)
    : QObject(&window), m_store(store), m_prompt(prompt) {
    BuildMenu(window, std::move(showOptions));
    m_pPane = new QLabel(&window);
    m_pPane->setObjectName(QStringLiteral("BroadcastPane"));
    m_pPane->setMinimumWidth(110);
    m_pPane->setAlignment(Qt::AlignCenter);
    window.statusBar()->addPermanentWidget(m_pPane);
    m_level = std::make_shared<CGstLevelTap>();
    if (m_level->Start()) {
        auto* meter = new CLevelMeter(m_level, &window);
        meter->setObjectName(QStringLiteral("LevelMeter"));
        window.statusBar()->addPermanentWidget(meter);
    }
    m_pTimer = new QTimer(this);
    connect(m_pTimer, &QTimer::timeout, this, &CBroadcastController::Refresh);
    m_pTimer->start(kRefreshMs);
    m_nPlayed = CPlayedSongs::Shared().GetCount();
}

CBroadcastController::~CBroadcastController() {
    Stop();
    if (m_bLevelAttached) {
        MixTapHook::Detach(m_level);
    }
}

void CBroadcastController::BuildMenu(QMainWindow& window, std::function<void()> showOptions) {
    auto* menu = new QMenu(QStringLiteral("&Broadcast"), &window);
    m_pToggle = menu->addAction(QStringLiteral("&On air"));
    m_pToggle->setCheckable(true);
    m_pToggle->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+B")));
    m_pToggle->setStatusTip(QStringLiteral("Start or stop streaming and recording the mix"));
    m_pToggle->setIcon(CThemeIcon::Get("media-record", QStyle::SP_MediaPlay));
    m_pToggle->setToolTip(QStringLiteral("On air (Ctrl+Shift+B)"));
    connect(m_pToggle, &QAction::triggered, this, [this] { Toggle(); });
    menu->addSeparator();
    QAction* options = menu->addAction(QStringLiteral("Broadcast &settings..."));
    connect(options, &QAction::triggered, this, [showOptions] {
        if (showOptions) {
            showOptions();
        }
    });
    QAction* before = nullptr;
    for (QAction* action : window.menuBar()->actions()) {
        if (action->text() == QStringLiteral("&Window")) {
            before = action;
        }
    }
    window.menuBar()->insertMenu(before, menu);
    if (auto* bar = window.findChild<QToolBar*>(QStringLiteral("MainToolBar"))) {
        bar->addSeparator();
        bar->addAction(m_pToggle);
    }
}

bool CBroadcastController::IsOnAir() const {
    return m_station && m_station->IsStarted();
}

void CBroadcastController::Toggle() {
    if (IsOnAir()) {
        Stop();
    } else {
        Start();
    }
    m_pToggle->setChecked(IsOnAir());
    Refresh();
}

// The kept password, or the one the user types now (then kept as the keyring allows).
std::string CBroadcastController::Password(const std::string& entry) {
    std::string password = CKeyringPassword::Read(entry);
    if (!password.empty()) {
        return password;
    }
    bool ok = false;
    const QString typed = QInputDialog::getText(
        nullptr, QStringLiteral("Broadcast"),
        QStringLiteral("Source password for %1:").arg(QString::fromStdString(entry)),
        QLineEdit::Password, QString(), &ok);
    if (!ok || typed.isEmpty()) {
        return {};
    }
    password = typed.toStdString();
    if (CKeyringPassword::Write(entry, password) == CKeyringPassword::kRunOnly) {
        m_prompt.Ask(CKeyringPassword::RunOnlyText(), IShellPrompt::kOk,
                     IShellPrompt::kIconInformation);
    }
    return password;
}

bool CBroadcastController::Start() {
    CBroadcastSettings settings;
    settings.Load(m_store);
    if (settings.m_bStream) {
        settings.m_strPassword = Password(CKeyringPassword::EntryName(
            settings.m_strUser, settings.m_strHost, settings.m_nPort, settings.m_strMount));
        if (settings.m_strPassword.empty()) {
            return false;
        }
    }
    m_station = std::make_unique<CAirStation>(settings);
    std::string error;
    if (!m_station->Start(error)) {
        m_station.reset();
        m_prompt.Ask("The broadcast could not start: " + error, IShellPrompt::kOk,
                     IShellPrompt::kIconExclamation);
        return false;
    }
    // The song already playing names the stream at once.
    CPlayedSongs::Shared().VisitLast(
        [this](const CSong& song) { m_station->SetTitle(song.GetTitle()); });
    return true;
}

void CBroadcastController::Stop() {
    if (m_station) {
        m_station->Stop();
        m_station.reset();
    }
}

// The timer: the title follows the songs, the pane the station, and a refused password
// is told once.
void CBroadcastController::Refresh() {
    const CPlayedSongs& played = CPlayedSongs::Shared();
    // The meter listens from the first song on (a tap keeps the engine's output open, so
    // not before anything has played).
    if (!m_bLevelAttached && (played.GetCount() > 0 || IsOnAir())) {
        MixTapHook::Attach(m_level);
        m_bLevelAttached = true;
    }
    if (played.GetCount() != m_nPlayed) {
        m_nPlayed = played.GetCount();
        if (IsOnAir()) {
            played.VisitLast([this](const CSong& song) { m_station->SetTitle(song.GetTitle()); });
        }
    }
    const CAirStatus status = m_station ? m_station->Status() : CAirStatus();
    m_pPane->setText(QString::fromStdString(status.Text()));
    if (m_station && m_station->TakePasswordRefused()) {
        m_prompt.Ask(CAirStatus::PasswordRefusedText(), IShellPrompt::kOk,
                     IShellPrompt::kIconExclamation);
    }
}
