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

    explicit CSeekPanel(QWidget* parent);

    // The player the panel shows; null: none.
    void SetPlayer(CPlayer* player) { m_pPlayer = player; }
    // "m:ss".
    static QString TimeText(int seconds);
    // The window's title: "Seek", and the slider's place while the user drags it.
    static QString TitleText(bool dragging, int position, int length);

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
