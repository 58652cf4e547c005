#pragma once

#include <QSlider>
#include <memory>

class CWaveOutVolume;
class IShellPrompt;

// The volume bar of a playlist window: its range and position are the system volume's
// (the sound server's default sink), moving it sets that volume, and a change made
// elsewhere (the desktop's volume applet, pactl) moves it. Without a sound server the bar
// stays disabled and the attach failure is told once per run.
class CVolumeBar final : public QSlider {
    Q_OBJECT
public:
    static constexpr const char* kAttachFailedText =
        "Failed to attach volume. You've probably have an application already playing song - "
        "using wave device.\n\nStop the application and reopen the list.";

    explicit CVolumeBar(IShellPrompt* prompt, QWidget* parent = nullptr);
    ~CVolumeBar() override;

    bool IsAttached() const;
    // The volume buttons (the walker's "+" and "-"): a step up or down.
    void StepVolume(bool up);

private:
    void ShowVolume(int volume);

    std::unique_ptr<CWaveOutVolume> m_pVolume;
    bool m_bFromSystem = false;
};
