#pragma once

#include <QObject>

#include <functional>
#include <memory>
#include <string>

class CGstLevelTap;
class IAirStation;
class ISettingsStore;
class IShellPrompt;
class QAction;
class QLabel;
class QMainWindow;
class QTimer;

// The broadcast in the main window: the "Broadcast" menu (start/stop, options), the
// toolbar's on-air button, the status pane ("On air 1:23:45", "Stream lost; trying again
// in 8 s"), the level meter and the stream's title, which follows the song played last.
// The station itself (stream, recording) is the core's and the platform's; this object
// only asks and shows.
class CBroadcastController final : public QObject {
    Q_OBJECT
public:
    // Adds its menu before the window's "&Window" menu, its button to the toolbar named
    // "MainToolBar", its pane and the meter to the status bar. showOptions opens Options
    // at the Broadcast page.
    CBroadcastController(QMainWindow& window, ISettingsStore& store, IShellPrompt& prompt,
                         std::function<void()> showOptions);
    ~CBroadcastController() override;

    bool IsOnAir() const;
    // Starts (asking for the password when none is kept) or stops the broadcast.
    void Toggle();
    QAction* ToggleAction() const { return m_pToggle; }
    const QLabel* StatusPane() const { return m_pPane; }

private:
    void BuildMenu(QMainWindow& window, std::function<void()> showOptions);
    bool Start();
    void Stop();
    void Refresh();
    std::string Password(const std::string& entry);

    ISettingsStore& m_store;
    IShellPrompt& m_prompt;
    std::shared_ptr<CGstLevelTap> m_level;
    std::unique_ptr<IAirStation> m_station;
    QAction* m_pToggle = nullptr;
    QLabel* m_pPane = nullptr;
    QTimer* m_pTimer = nullptr;
    std::size_t m_nPlayed = 0;
    bool m_bLevelAttached = false;
};
