#pragma once

#include <QDockWidget>

class CPlayer;
class QLineEdit;
class QSlider;
class QTimer;

// The seek window (a floating tool window, dockable): the playing song's position and
// length, and a slider that moves the player to another second when the user lets go of
// it. Refreshed every second while shown, unless the user drags.
class CSeekPanel final : public QDockWidget {
    Q_OBJECT
public:
    static constexpr int kRefreshMs = 1000;
    // Wide enough for a drag a user can aim: a pixel is a second or two of a song.
    static constexpr int kSliderMinWidth = 300;
    static constexpr int kGap = 4;

    explicit CSeekPanel(QWidget* parent);

    // The player the panel shows; null: none.
    void SetPlayer(CPlayer* player) { m_pPlayer = player; }
    // "m:ss".
    static QString TimeText(int seconds);
    // The window's title: "Seek", and the slider's place while the user drags it.
    static QString TitleText(bool dragging, int position, int length);
    // Where the floating window of that size goes beside a playlist window (global
    // rectangles): to its right, else below it, else above it, inside the screen and never
    // over the main window's menu bar (its bottom edge at menuBottom).
    static QPoint PlaceBeside(const QRect& playlist, const QSize& size, const QRect& screen,
                              int menuBottom);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void Refresh();
    void ShowValues(int position, int length);
    void OnReleased();

    CPlayer* m_pPlayer = nullptr;
    QLineEdit* m_pPosition;
    QLineEdit* m_pDuration;
    QSlider* m_pSlider;
    QTimer* m_pTimer;
    bool m_bDragging = false;
};
