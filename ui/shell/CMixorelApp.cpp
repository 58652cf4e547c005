#include "ui/shell/CMixorelApp.h"

#include "catalogue/CAlbumFile.h"
#include "catalogue/CPlayedSongs.h"
#include "catalogue/CPlaylistColumns.h"
#include "loudness/CLoudnessCueSource.h"
#include "loudness/CLoudnessService.h"
#include "loudness/LoudnessLabel.h"
#include "platform/CLogindShutdown.h"
#include "platform/QtSettingsStore.h"
#include "platform/QtSongClipboard.h"
#include "platform/QtSystemColours.h"
#include "playback/CPlayLog.h"
#include "settings/CRecentAlbumSettings.h"
#include "settings/CSettings.h"
#include "settings/CSharedSettings.h"
#include "settings/SettingsKeys.h"
#include "ui/prompts/CQtPrompt.h"
#include "ui/prompts/CSessionPrompt.h"
#include "ui/shell/CInstanceLink.h"
#include "ui/shell/CMainFrame.h"
#include "ui/shell/CPlayerHub.h"
#include "ui/shell/CSignalCloser.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <filesystem>

CMixorelApp::CMixorelApp(Options options) : QObject(nullptr), m_options(std::move(options)) {}

CMixorelApp::~CMixorelApp() {
    StopLoudness();
    m_pFrame.reset();
    m_pPlayers.reset();
}

bool CMixorelApp::InitInstance(const QStringList& files) {
    QGuiApplication::setQuitOnLastWindowClosed(false);
    // The song formats are MIME types of the desktop clipboard.
    m_pClipboard = std::make_unique<QtSongClipboard>();
    // The settings store, with the recent albums.
    if (m_options.pStore != nullptr) {
        SetSettingsStore(m_options.pStore);
    } else {
        QtSettingsStore::InstallProcessStore();
    }
    QtSystemColours::InstallProcessColours();
    m_pStore = &GetSettingsStore();
    m_pSettings = std::make_unique<CSharedSettings>(*m_pStore);
    m_pSettings->Reload();
    IShellPrompt* user = m_options.pPrompt;
    if (user == nullptr) {
        m_pQtPrompt = std::make_unique<CQtPrompt>();
        user = m_pQtPrompt.get();
    }
    m_pPrompt = std::make_unique<CSessionPrompt>(*user);
    IShutdownRequest* powerOff = m_options.pPowerOff;
    if (powerOff == nullptr) {
        m_pPowerOff = std::make_unique<CLogindShutdown>();
        powerOff = m_pPowerOff.get();
    }
    StartLoudness();
    // The main window (it reads locations.dat).
    CMainFrame::Services services;
    services.pLoudness = m_pLoudness.get();
    services.pPrompt = m_pPrompt.get();
    services.pStore = m_pStore;
    services.pSettings = m_pSettings.get();
    services.pClipboard = m_pClipboard.get();
    services.pPowerOff = powerOff;
    m_pFrame = std::make_unique<CMainFrame>(services);
    if (m_pQtPrompt != nullptr) {
        m_pQtPrompt->SetParent(m_pFrame.get());
    }
    CRecentAlbumSettings recent;
    recent.Load(*m_pStore);
    m_pFrame->GetAlbums().SetRecentAlbums(recent.m_astrPaths);
    // The shell's open: a later `mixorel FILE` hands its files over.
    if (!m_options.instanceName.isEmpty()) {
        m_pLink = new CInstanceLink(this);
        m_pLink->Listen(m_options.instanceName);
        connect(m_pLink, &CInstanceLink::FilesReceived, this, [this](const QStringList& handed) {
            for (const QString& file : handed) {
                m_pFrame->OpenFile(file.toStdString());
            }
            // Forward as it is: a maximised window stays maximised; one in the
            // notification area comes back.
            if (m_pFrame->isMinimized()) {
                m_pFrame->setWindowState(m_pFrame->windowState() & ~Qt::WindowMinimized);
            }
            if (!m_pFrame->isVisible()) {
                m_pFrame->show();
            }
            m_pFrame->raise();
            m_pFrame->activateWindow();
        });
    }
    if (m_options.bHandleSignals) {
        m_pSignals = new CSignalCloser(this);
        connect(m_pSignals, &CSignalCloser::Triggered, m_pFrame.get(),
                &CMainFrame::KeepWorkAndClose);
    }
    // The active player, chosen once for the run.
    CSettings settings(*m_pStore);
    settings.Load();
    m_pPlayers = std::make_unique<CPlayerHub>(settings.m_bUseWinamp == 1, *m_pSettings);
    m_pFrame->SetPlayers(m_pPlayers.get());
    OpenCommandLine(files);
    m_pFrame->ShowWithPlacement();
    AskFirstRun();
    m_pPlayers->GetLog().LogProgramStarted();
    return true;
}

bool CMixorelApp::HasEnded() const {
    return m_pFrame == nullptr || m_pFrame->IsClosed();
}

void CMixorelApp::OpenCommandLine(const QStringList& files) {
    if (!files.isEmpty()) {
        for (const QString& file : files) {
            m_pFrame->OpenFile(file.toStdString());
        }
        return;
    }
    CSettings settings(*m_pStore);
    settings.Load();
    if (settings.m_bNewFileAtStart != 0) {
        m_pFrame->NewPlaylist();
    }
    ReopenAlbum();
}

void CMixorelApp::ReopenAlbum() {
    CSettings settings(*m_pStore);
    settings.Load();
    if (settings.m_bLoadLastUsed != 1) {
        return;
    }
    CAlbumManager& albums = m_pFrame->GetAlbums();
    if (settings.m_bEmptyLastProject != 0) {
        // A first start has no default album yet; that is not worth an error box.
        std::error_code error;
        if (std::filesystem::exists(CAlbumFile::DefaultPath(), error)) {
            albums.OpenAlbum({}, true);
        }
    } else if (!albums.GetRecentAlbums().empty()) {
        const std::string last = albums.GetRecentAlbums().front();
        albums.OpenAlbum(last, false);
    }
    m_pFrame->SetAlbumModified(false);
}

void CMixorelApp::AskFirstRun() {
    if (m_pFrame->IsClosed() || !CSettings::IsFirstRun(*m_pStore)) {
        return;
    }
    if (m_pPrompt->Ask(kFirstRunQuestion, IShellPrompt::kYesNo, IShellPrompt::kIconQuestion) ==
        IUserPrompt::kAnswerYes) {
        QTimer::singleShot(0, m_pFrame.get(), &CMainFrame::ImportFolderWithSubfolders);
    }
}

// The song analysis: the cache, the player's cue source, the list's "Loudness" column and
// the background worker (one; two when "analysisworkers" says 2).
void CMixorelApp::StartLoudness() {
    auto cache = std::make_shared<CLoudnessCache>();
    cache->Open(CLoudnessCache::DefaultPath());
    ISettingsStore* store = m_pStore;
    const auto target = [store] {
        CSettings settings(*store);
        settings.Load();
        return std::clamp<double>(settings.m_nTargetLufs, SettingsDefaults::kTargetLufsLowest,
                                  SettingsDefaults::kTargetLufsHighest);
    };
    if (m_options.pAnalyser != nullptr) {
        m_pLoudness = std::make_unique<CLoudnessService>(cache, m_options.pAnalyser, target);
        m_pLoudness->Start(store->GetProfileInt(SettingsKeys::kSectionInternal,
                                                SettingsKeys::kAnalysisWorkers,
                                                SettingsDefaults::kAnalysisWorkers));
    }
    SetSongCueSource(std::make_shared<CLoudnessCueSource>(cache, *store, m_pLoudness.get()));
    CPlaylistColumns::SetAnalysisSource(
        [cache, target](const std::string& path) -> std::optional<CPlaylistColumns::AnalysedFacts> {
            const auto analysis = cache->Lookup(path, /*mayHash=*/false);
            if (!analysis) {
                return std::nullopt;
            }
            CPlaylistColumns::AnalysedFacts facts;
            facts.strLoudness = LoudnessLabel(analysis, target());
            if (analysis->IsAnalysed() && analysis->dDurationSeconds > 0) {
                facts.durationSeconds =
                    static_cast<std::uint32_t>(std::lround(analysis->dDurationSeconds));
            }
            return facts;
        });
}

// The worker ends within 200 ms; the cue source and the column's text go with it.
void CMixorelApp::StopLoudness() {
    CPlaylistColumns::SetAnalysisSource({});
    SetSongCueSource(nullptr);
    if (m_pLoudness != nullptr) {
        m_pLoudness->Stop();
    }
}

int CMixorelApp::ExitInstance() {
    StopLoudness();
    if (QGuiApplication::instance() != nullptr) {
        QGuiApplication::clipboard()->clear();
    }
    if (m_pFrame != nullptr) {
        CRecentAlbumSettings recent;
        recent.m_astrPaths = m_pFrame->GetAlbums().GetRecentAlbums();
        recent.Save(*m_pStore);
    }
    m_pFrame.reset();
    CPlayedSongs::Shared().Empty();
    if (m_pPlayers != nullptr) {
        m_pPlayers->GetLog().LogProgramEnded();
    }
    m_pPlayers.reset();
    return 0;
}
