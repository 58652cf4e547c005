#pragma once

#include "playback/CNowPlaying.h"

#include <QDBusConnection>
#include <QObject>
#include <QVariantMap>
#include <functional>

class QTimer;

// Mixorel on the session bus as "org.mpris.MediaPlayer2.mixorel", so media keys, the
// desktop's sound applet and playerctl drive it: the state and the song of the active
// player, and Next, Stop, Pause and Play mapped to the playlist commands. Changes are
// announced with PropertiesChanged.
class CMprisServer final : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kServiceName = "org.mpris.MediaPlayer2.mixorel";
    static constexpr const char* kObjectPath = "/org/mpris/MediaPlayer2";
    static constexpr int kRefreshMs = 250;

    struct Commands {
        std::function<CNowPlaying()> read;
        std::function<void()> next;
        std::function<void()> stop;
        std::function<void()> pause; // pause or resume
        std::function<void()> play;  // the loop at the selection when nothing plays
        std::function<void(double)> setVolume;
        std::function<void()> raise;
        std::function<void()> quit;
        // A new song started (the played songs grew).
        std::function<void(const CNowPlaying&)> trackStarted;
    };

    explicit CMprisServer(Commands commands, QObject* parent = nullptr);
    ~CMprisServer() override;

    // Takes the name on the bus; false when the bus or the name is not to be had (the
    // program runs on without it).
    bool Register(const QDBusConnection& bus);
    // Reads the player and announces what changed.
    void Refresh();

    const CNowPlaying& Now() const { return m_now; }
    QVariantMap Metadata() const;
    double Volume() const { return m_dVolume; }
    void SetVolume(double volume);
    Commands& GetCommands() { return m_commands; }

private:
    void Announce(const QVariantMap& changed);

    Commands m_commands;
    CNowPlaying m_now;
    double m_dVolume = 1.0;
    QDBusConnection m_bus;
    QTimer* m_pTimer = nullptr;
    bool m_bRegistered = false;
};
