#pragma once

#include <QWidget>

#include <array>
#include <memory>

class CGstLevelTap;
class QTimer;

// The mix's level in the main window: one bar per channel, the RMS filled and the peak as
// a line, from -60 dB to 0 dB (red from -3 dB), refreshed 20 times a second. A meter that
// stops moving while a song plays says the output is not alive.
class CLevelMeter final : public QWidget {
    Q_OBJECT
public:
    explicit CLevelMeter(std::shared_ptr<CGstLevelTap> tap, QWidget* parent = nullptr);

    QSize sizeHint() const override { return {160, 18}; }
    // The fraction of the bar a level fills: 0 at -60 dB and below, 1 at 0 dB and above.
    static double Fill(float db);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Refresh();

    std::shared_ptr<CGstLevelTap> m_tap;
    QTimer* m_pTimer = nullptr;
    std::array<float, 2> m_peakDb{-120.0F, -120.0F};
    std::array<float, 2> m_rmsDb{-120.0F, -120.0F};
};
