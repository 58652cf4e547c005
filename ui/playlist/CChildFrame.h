#pragma once

#include "playback/CAlarmCheck.h"
#include "settings/ProcessSettingsStore.h"

#include <QFont>
#include <QMdiSubWindow>
#include <vector>

class CMainFrame;
class CMixorel2001View;
class COpenPlaylist;
class CPlaylistModel;
class CSettings;
class CVolumeBar;
class QCheckBox;
class QFont;
class QLabel;
class QMainWindow;
class QTableView;
class QTimer;

// The window of one playlist: its bars (the transport buttons; "Rem Played" and the volume
// slider), the list (a table over the document's model) and the five status panes: player
// state, title, alarm, file count and total time.
class CChildFrame final : public QMdiSubWindow {
    Q_OBJECT
public:
    static constexpr int kDefaultWidth = 560;
    static constexpr int kDefaultHeight = 350;
    static constexpr int kStatusPeriodMs = 600;
    static constexpr int kAlarmPeriodMs = 1000;
    static constexpr int kTitlePeriodMs = 1500;
    static constexpr int kSongColumn = 0;

    CChildFrame(CMainFrame& main, COpenPlaylist& playlist);
    ~CChildFrame() override;

    COpenPlaylist& GetPlaylist() { return m_playlist; }
    QTableView* GetList();
    CMixorel2001View* GetView() { return m_pList; }
    // "Rem Played" beside the volume slider: the document's remove-played flag.
    QCheckBox* GetRemovePlayedBox() { return m_pRemovePlayed; }
    CPlaylistModel* GetModel() { return m_pModel; }
    // The status timer's and the title timer's work, also run at once by the commands.
    void RefreshStatus();
    void RefreshTitle();
    // Keeps this list's column order and widths for the next window; false when the
    // store refused a write.
    bool StoreColumns(ISettingsStore& store = GetSettingsStore());
    // Pane texts as they stand.
    QString GetPaneText(int pane) const;
    void RefreshCaption();
    // The playlist font (Options), the rows sized for it.
    void SetListFont(const QFont& font);
    // The walker's volume buttons: a step of the system volume.
    void StepVolume(bool up);
    // Closes without asking (the checks were made) and lets go of the document.
    void CloseNow();

    static constexpr int kPreSizedHeight = 150;
    // Pre-sizing: the window keeps a height of 150 pixels and loses its maximize button;
    // switched off, it gets both back with its former size.
    void SetPreSized(bool preSized);
    bool IsPreSized() const { return m_bPreSized; }
    // The alarm pane follows the document's alarm; its timer runs while one is set.
    void RefreshAlarm();
    // "%dh %dm %ds" of seconds.
    static QString TotalTimeText(std::uint32_t seconds);

protected:
    void closeEvent(QCloseEvent* event) override;
    // Double clicks on pane 0 open the seek panel, on pane 1 show the next song; the end
    // of a drag on the headings keeps the column layout.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildToolBars(QMainWindow& body);
    void RefreshLooks();
    void RestoreColumns();
    // Pane 1 with "Now:" or "Next:" while the list loops; true when it loops.
    bool ShowTitle(bool next);
    void ScrollTo(int line);
    void CheckAlarm();

    CMainFrame& m_main;
    COpenPlaylist& m_playlist;
    CPlaylistModel* m_pModel = nullptr;
    CMixorel2001View* m_pList = nullptr;
    QLabel* m_apPanes[5] = {};
    CVolumeBar* m_pVolume = nullptr;
    QCheckBox* m_pRemovePlayed = nullptr;
    // The commands on the transport bar, enabled by the status timer.
    std::vector<int> m_barCommands;
    QTimer* m_pStatusTimer = nullptr;
    QTimer* m_pAlarmTimer = nullptr;
    QTimer* m_pTitleTimer = nullptr;
    // The looping animation beside pane 0, running while the loop look is on.
    QLabel* m_pLoopAnimation = nullptr;
    QTimer* m_pAnimationTimer = nullptr;
    int m_nAnimationFrame = 0;
    std::pair<int, int> m_reportedRange{-1, -1};
    bool m_bShowNext = false;
    bool m_bPaneShowsNext = false;
    // The user moved or widened a heading; kept when the mouse lets go.
    bool m_bColumnsChanged = false;
    bool m_bLoopLook = false;
    bool m_bScheduleLook = false;
    CAlarmCheck m_alarm;
    bool m_bClosing = false;
    bool m_bPreSized = false;
    QSize m_savedSize;
};
