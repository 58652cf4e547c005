#pragma once

#include <QObject>
#include <QStringList>
#include <memory>
#include <string>
#include <vector>

class CInstanceLink;
class CLoudnessService;
class IAudioAnalyser;
class CMainFrame;
class CPlayerHub;
class CQtPrompt;
class CSessionPrompt;
class CSharedSettings;
class CSignalCloser;
class IShellPrompt;
class IShutdownRequest;
class ISettingsStore;
class ISongClipboard;

// The application object: brings the program up in its fixed order (settings store,
// recent albums, main window, the command line's files, the active player, the last
// album, the window with its placement, the first-run question, the play log's start
// line) and takes it down again (clipboard emptied, recent albums written, the log's
// end line).
class CMixorelApp final : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kFirstRunQuestion =
        "This is the first time you have executed Mixorel.\n\nDo you want to import your sound "
        "files into the playlist?\n\nYou should make a playlist with all your sound files and "
        "save it so that you can always have access to it.\n\nIf you wish you can use import "
        "folder w/ subfolders option later, to import more sound files.";

    struct Options {
        // Null: the user's settings file; otherwise the store becomes the process store.
        std::shared_ptr<ISettingsStore> pStore;
        // Null: Qt message boxes and dialogs.
        IShellPrompt* pPrompt = nullptr;
        // Null: systemd-logind.
        IShutdownRequest* pPowerOff = nullptr;
        // The local socket of the one program per user; empty: no hand-over.
        QString instanceName;
        // SIGTERM and SIGINT keep the work and close.
        bool bHandleSignals = true;
        // Decodes and measures songs for the background analysis; null: songs are not
        // analysed (the cache is still read).
        std::shared_ptr<IAudioAnalyser> pAnalyser;
    };

    explicit CMixorelApp(Options options);
    ~CMixorelApp() override;

    // The start-up steps; false ends the program at once.
    bool InitInstance(const QStringList& files);
    // True when the main window closed already during the start-up steps (a SIGTERM
    // while the first-run question was open): the program ends without its event loop.
    bool HasEnded() const;
    // The shutdown steps; answers the exit code.
    int ExitInstance();

    CMainFrame* GetMainFrame() { return m_pFrame.get(); }
    CSessionPrompt& GetPrompt() { return *m_pPrompt; }

private:
    void OpenCommandLine(const QStringList& files);
    void ReopenAlbum();
    void AskFirstRun();
    void StartLoudness();
    void StopLoudness();

    Options m_options;
    std::unique_ptr<CQtPrompt> m_pQtPrompt;
    std::unique_ptr<CSessionPrompt> m_pPrompt;
    std::unique_ptr<ISongClipboard> m_pClipboard;
    std::unique_ptr<IShutdownRequest> m_pPowerOff;
    std::unique_ptr<CSharedSettings> m_pSettings;
    std::unique_ptr<CPlayerHub> m_pPlayers;
    std::unique_ptr<CLoudnessService> m_pLoudness;
    std::unique_ptr<CMainFrame> m_pFrame;
    CInstanceLink* m_pLink = nullptr;
    CSignalCloser* m_pSignals = nullptr;
    ISettingsStore* m_pStore = nullptr;
};
