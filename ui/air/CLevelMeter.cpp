#include "ui/air/CLevelMeter.h"

#include "platform/air/CGstLevelTap.h"

#include <QPainter>
#include <QTimer>

#include <algorithm>

namespace {

constexpr float kFloorDb = -60.0F;
constexpr float kHotDb = -3.0F;

} // namespace

CLevelMeter::CLevelMeter(std::shared_ptr<CGstLevelTap> tap, QWidget* parent)
    : QWidget(parent), m_tap(std::move(tap)) {
    setToolTip(QStringLiteral("Level of the mix (peak and RMS)"));
    setMinimumSize(120, 14);
    m_pTimer = new QTimer(this);
    m_pTimer->setInterval(CGstLevelTap::kIntervalMs);
    connect(m_pTimer, &QTimer::timeout, this, &CLevelMeter::Refresh);
    m_pTimer->start();
}

double CLevelMeter::Fill(float db) {
    return std::clamp((db - kFloorDb) / -kFloorDb, 0.0F, 1.0F);
}

void CLevelMeter::Refresh() {
    if (!m_tap) {
        return;
    }
    const CGstLevelTap::Reading reading = m_tap->Read();
    if (reading.peakDb != m_peakDb || reading.rmsDb != m_rmsDb) {
        m_peakDb = reading.peakDb;
        m_rmsDb = reading.rmsDb;
        update();
    }
}

void CLevelMeter::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    const int rowHeight = height() / 2;
    const int hotX = static_cast<int>(Fill(kHotDb) * width());
    for (int channel = 0; channel < 2; ++channel) {
        const QRect row(0, channel * rowHeight + 1, width(), rowHeight - 2);
        const int rmsX = static_cast<int>(Fill(m_rmsDb[channel]) * width());
        painter.fillRect(QRect(row.left(), row.top(), std::min(rmsX, hotX), row.height()),
                         QColor(40, 200, 60));
        if (rmsX > hotX) {
            painter.fillRect(QRect(hotX, row.top(), rmsX - hotX, row.height()), Qt::red);
        }
        const int peakX = static_cast<int>(Fill(m_peakDb[channel]) * (width() - 2));
        painter.fillRect(QRect(peakX, row.top(), 2, row.height()),
                         peakX >= hotX ? Qt::red : Qt::yellow);
    }
}
