#pragma once

// The remote-player link over MPRIS2 on the D-Bus session bus. Every MPRIS player on
// the bus (a name "org.mpris.MediaPlayer2.*", never one of this process) is a window of
// the message class "Winamp v1.x"; the messages of the remote player's interface map
// onto MPRIS calls and properties as follows:
//
// | message                          | MPRIS                                             |
// |----------------------------------|---------------------------------------------------|
// | IPC_GETVERSION                   | 0x2095 while the player is on the bus, else 0     |
// | WM_COPYDATA IPC_PLAYFILE, or the | OpenUri (file:// URI of the path)                 |
// |   one-byte IPC_PLAYFILE up to 0  |                                                   |
// | IPC_DELETE                       | Stop                                              |
// | IPC_STARTPLAY                    | Play                                              |
// | IPC_ISPLAYING                    | 1 when PlaybackStatus is "Playing" (with a track  |
// |                                  | loaded) or Position moves forward, 3 when         |
// |                                  | "Paused", else 0 (see CMprisPlayState)            |
// | IPC_GETOUTPUTTIME 0 / 1          | Position in ms / mpris:length in s                |
// | IPC_JUMPTOTIME                   | SetPosition (Seek when there is no track id)      |
// | IPC_SETVOLUME                    | Volume := level / 255                             |
// | WM_COMMAND 40046                 | PlayPause                                         |
// | WM_COMMAND 40047, 40147          | Stop                                              |
// | WM_COMMAND 40048                 | Next                                              |
// | WM_COMMAND 40058 / 40059         | Volume + / - 0.05                                 |
// | WM_CLOSE                         | Quit                                              |
// | caption                          | xesam:title, else the file name of xesam:url      |
// | start a program                  | the program is run (its words split as a shell    |
// |                                  | would when the text names no file)                |
//
// Other messages answer 0. There is never a window of the newer player's root class.
// A window is the player's unique bus name, so a player that quits and comes back is a
// new window, and the old handle answers version 0.
//
// Threads: any thread may call; one mutex serialises the calls on the link's own bus
// connection. Sent messages wait at most kCallTimeoutMs for the player's answer; posted
// ones are handed to the bus without waiting.

#include "CMprisPlayState.h"
#include "platform/remote/IRemotePlayerLink.h"

#include <QDBusConnection>
#include <QString>
#include <QVariant>
#include <chrono>
#include <map>
#include <mutex>
#include <optional>

class QDBusMessage;

class CMprisRemoteLink : public IRemotePlayerLink {
public:
    static constexpr std::int64_t kVersion = 0x2095;
    static constexpr int kCallTimeoutMs = 3000;

    CMprisRemoteLink();
    // Hands every posted message to the bus before the connection closes.
    ~CMprisRemoteLink() override;
    CMprisRemoteLink(const CMprisRemoteLink&) = delete;
    CMprisRemoteLink& operator=(const CMprisRemoteLink&) = delete;

    // False when the session bus could not be reached (every look then finds nothing).
    bool IsBusConnected() const;

    RemoteWindow FindWindow(const std::string& className) override;
    std::vector<RemoteWindow> EnumWindows() override;
    std::string GetClassName(RemoteWindow hWindow) override;
    std::string GetWindowText(RemoteWindow hWindow, std::size_t nMaxChars) override;
    std::int64_t SendMessage(RemoteWindow hWindow, std::uint32_t nMessage, std::int64_t wParam,
                             std::int64_t lParam) override;
    bool PostMessage(RemoteWindow hWindow, std::uint32_t nMessage, std::int64_t wParam,
                     std::int64_t lParam) override;
    std::int64_t SendCopyData(RemoteWindow hWindow, std::uint64_t nDataType,
                              std::span<const char> data) override;
    std::int64_t StartProgram(const std::string& path) override;

private:
    struct Player {
        QString strUniqueName;
        std::string bytes; // one-byte IPC_PLAYFILE messages so far
        CMprisPlayState state;
    };

    // All below expect the mutex to be held.
    std::vector<RemoteWindow> EnumLocked();
    Player* Find(RemoteWindow hWindow);
    bool IsOnBus(const Player& player);
    // Carries out one message; bWait false hands the last call over without waiting.
    std::int64_t Deliver(Player& player, std::uint32_t nMessage, std::int64_t wParam,
                         std::int64_t lParam, bool bWait, bool& bHandedOver);
    std::int64_t DeliverIpc(Player& player, std::int64_t nCode, std::int64_t wParam, bool bWait,
                            bool& bHandedOver);
    std::int64_t DeliverButton(Player& player, std::int64_t nButton, bool bWait, bool& bHandedOver);
    bool OpenPath(Player& player, const std::string& path, bool bWait);
    std::int64_t IsPlaying(Player& player);
    bool SeekTo(Player& player, std::int64_t nPositionMs, bool bWait);
    bool ChangeVolume(Player& player, double dVolume, bool bWait);

    // A method of the player's object; nothing when it failed. Without waiting, an
    // empty message stands for success.
    std::optional<QDBusMessage> Invoke(const Player& player, const QString& interfaceName,
                                       const QString& method, const QVariantList& args, bool bWait);
    // The first value a method of the bus itself answers; nothing when it failed.
    std::optional<QVariant> AskBus(const QString& method, const QVariantList& args);
    // A property of org.mpris.MediaPlayer2.Player, unwrapped; an invalid value when the
    // player gave none.
    QVariant Property(const Player& player, const QString& name);
    QVariantMap Metadata(const Player& player);
    std::int64_t PositionUs(const Player& player);

    QString m_strConnectionName;
    QDBusConnection m_bus;
    std::mutex m_mutex;
    std::map<RemoteWindow, Player> m_players;
    RemoteWindow m_nextWindow = 1;
};
