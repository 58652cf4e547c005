#include "ui/playlist/CVolumeBar.h"

#include "platform/pulse/CWaveOutVolume.h"
#include "ui/prompts/IShellPrompt.h"

#include <QMetaObject>
#include <QTimer>
#include <atomic>

namespace {
std::atomic<bool> g_bToldAttachFailed{false};
}

CVolumeBar::CVolumeBar(IShellPrompt* prompt, QWidget* parent)
    : QSlider(Qt::Horizontal, parent), m_pVolume(std::make_unique<CWaveOutVolume>()) {
    setToolTip(QStringLiteral("Volume"));
    setMinimumWidth(60);
    setMaximumWidth(110);
    if (!m_pVolume->HasVolume()) {
        setEnabled(false);
        // Told once the window is up, not in the middle of building it.
        if (prompt != nullptr && !g_bToldAttachFailed.exchange(true)) {
            QTimer::singleShot(0, this, [prompt] {
                prompt->Ask(kAttachFailedText, IShellPrompt::kOk, IShellPrompt::kIconExclamation);
            });
        }
        return;
    }
    setRange(m_pVolume->GetMin(), m_pVolume->GetMax());
    setPageStep((m_pVolume->GetMax() - m_pVolume->GetMin()) / 20);
    ShowVolume(m_pVolume->GetVolume());
    // From libpulse's thread to ours; a call still queued when the bar is gone is dropped.
    m_pVolume->SetCallback(
        [this](std::int32_t volume, std::uint32_t) {
            QMetaObject::invokeMethod(
                this, [this, volume] { ShowVolume(volume); }, Qt::QueuedConnection);
        },
        0);
    connect(this, &QSlider::valueChanged, this, [this](int value) {
        if (!m_bFromSystem) {
            m_pVolume->SetVolume(value);
        }
    });
}

CVolumeBar::~CVolumeBar() {
    // The sound server's thread ends before the bar does.
    m_pVolume.reset();
}

bool CVolumeBar::IsAttached() const {
    return m_pVolume != nullptr && m_pVolume->HasVolume();
}

void CVolumeBar::ShowVolume(int volume) {
    if (volume < 0) {
        return;
    }
    m_bFromSystem = true;
    setValue(volume);
    m_bFromSystem = false;
}

void CVolumeBar::StepVolume(bool up) {
    if (IsAttached()) {
        setValue(value() + (up ? pageStep() : -pageStep()));
    }
}
