#include "ui/playlist/CSeekPanel.h"

#include "playback/CPlayer.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QTimer>
#include <algorithm>

CSeekPanel::CSeekPanel(QWidget* parent)
    : QDockWidget(QStringLiteral("Seek"), parent), m_pPosition(new QLineEdit),
      m_pDuration(new QLineEdit), m_pSlider(new QSlider(Qt::Horizontal)),
      m_pTimer(new QTimer(this)) {
    setObjectName(QStringLiteral("seek"));
    setAllowedAreas(Qt::TopDockWidgetArea | Qt::BottomDockWidgetArea);
    auto* body = new QWidget(this);
    auto* layout = new QHBoxLayout(body);
    for (QLineEdit* edit : {m_pPosition, m_pDuration}) {
        edit->setReadOnly(true);
        edit->setMaximumWidth(70);
        edit->setAlignment(Qt::AlignRight);
    }
    layout->addWidget(new QLabel(QStringLiteral("Position")));
    layout->addWidget(m_pPosition);
    m_pSlider->setMinimumWidth(kSliderMinWidth);
    layout->addWidget(m_pSlider, 1);
    layout->addWidget(new QLabel(QStringLiteral("Duration")));
    layout->addWidget(m_pDuration);
    setWidget(body);
    connect(m_pTimer, &QTimer::timeout, this, &CSeekPanel::Refresh);
    connect(m_pSlider, &QSlider::sliderPressed, this, [this] {
        m_bDragging = true;
        ShowValues(m_pSlider->value(), m_pSlider->maximum());
    });
    connect(m_pSlider, &QSlider::sliderMoved, this,
            [this](int value) { ShowValues(value, m_pSlider->maximum()); });
    connect(m_pSlider, &QSlider::sliderReleased, this, &CSeekPanel::OnReleased);
}

QString CSeekPanel::TimeText(int seconds) {
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString CSeekPanel::TitleText(bool dragging, int position, int length) {
    return dragging ? QStringLiteral("Seek %1/%2").arg(TimeText(position), TimeText(length))
                    : QStringLiteral("Seek");
}

QPoint CSeekPanel::PlaceBeside(const QRect& playlist, const QSize& size, const QRect& screen,
                               int menuBottom) {
    const int top = std::max(screen.top(), menuBottom + 1);
    const QRect allowed(QPoint(screen.left(), top), screen.bottomRight());
    const int besideTop = std::clamp(playlist.top(), allowed.top(),
                                     std::max(allowed.top(), allowed.bottom() + 1 - size.height()));
    const QRect candidates[] = {
        QRect(QPoint(playlist.right() + 1 + kGap, besideTop), size),
        QRect(QPoint(playlist.left(), playlist.bottom() + 1 + kGap), size),
        QRect(QPoint(playlist.left(), playlist.top() - kGap - size.height()), size)};
    for (const QRect& candidate : candidates) {
        if (allowed.contains(candidate)) {
            return candidate.topLeft();
        }
    }
    // No room beside it: over the playlist's lower edge, kept inside the screen.
    QRect place(QPoint(playlist.left(), playlist.bottom() + 1 - size.height()), size);
    place.moveLeft(std::clamp(place.left(), allowed.left(),
                              std::max(allowed.left(), allowed.right() + 1 - size.width())));
    place.moveTop(std::clamp(place.top(), allowed.top(),
                             std::max(allowed.top(), allowed.bottom() + 1 - size.height())));
    return place.topLeft();
}

void CSeekPanel::showEvent(QShowEvent* event) {
    QDockWidget::showEvent(event);
    Refresh();
    m_pTimer->start(kRefreshMs);
    m_pSlider->setFocus();
}

void CSeekPanel::hideEvent(QHideEvent* event) {
    Refresh();
    m_pTimer->stop();
    QDockWidget::hideEvent(event);
}

void CSeekPanel::Refresh() {
    if (m_pPlayer == nullptr || m_bDragging) {
        return;
    }
    std::int32_t position = 0;
    std::int32_t length = 0;
    m_pPlayer->GetPosition(position);
    m_pPlayer->GetLength(length);
    m_pSlider->setRange(0, std::max(0, length));
    m_pSlider->setValue(position);
    ShowValues(position, length);
}

void CSeekPanel::ShowValues(int position, int length) {
    m_pPosition->setText(TimeText(position));
    m_pDuration->setText(TimeText(length));
    setWindowTitle(TitleText(m_bDragging, position, length));
}

void CSeekPanel::OnReleased() {
    if (m_pPlayer != nullptr) {
        m_pPlayer->PlayFrom(m_pSlider->value());
    }
    m_bDragging = false;
    ShowValues(m_pSlider->value(), m_pSlider->maximum());
}
