#include "CMprisRemoteLink.h"

#include "platform/remote/RemoteMessages.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QUrl>
#include <algorithm>
#include <atomic>
#include <thread>
#include <unistd.h>
#include <utility>

namespace Msg = RemoteMessages;

namespace {

const QString kMprisPrefix = QStringLiteral("org.mpris.MediaPlayer2.");
const QString kObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kRootInterface = QStringLiteral("org.mpris.MediaPlayer2");
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kPropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kNoTrack = QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");

// Start results in the shell's manner: above 32 started, 2 not found.
constexpr std::int64_t kStarted = 42;
constexpr std::int64_t kNotFound = 2;
// Position samples one play-state query takes at most.
constexpr int kMaxPositionSamples = 4;
// A volume button's step.
constexpr double kVolumeStep = 0.05;

QString UniqueConnectionName() {
    static std::atomic<int> s_nCount{0};
    return QStringLiteral("mixorel-mpris-link-%1").arg(s_nCount.fetch_add(1));
}

// A D-Bus variant (or a value that arrived bare) as a plain value.
QVariant Unwrap(const QVariant& value) {
    if (value.metaType() == QMetaType::fromType<QDBusVariant>()) {
        return value.value<QDBusVariant>().variant();
    }
    return value;
}

// A whole number from any numeric value; nothing for other types.
std::optional<std::int64_t> ToInteger(const QVariant& value) {
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::UChar:
        return value.toLongLong();
    case QMetaType::ULongLong:
        return static_cast<std::int64_t>(
            std::min<qulonglong>(value.toULongLong(), static_cast<qulonglong>(INT64_MAX)));
    case QMetaType::Double:
        return static_cast<std::int64_t>(value.toDouble());
    default:
        return std::nullopt;
    }
}

QString ToText(const QVariant& value) {
    if (value.metaType() == QMetaType::fromType<QDBusObjectPath>()) {
        return value.value<QDBusObjectPath>().path();
    }
    if (value.metaType().id() == QMetaType::QString) {
        return value.toString();
    }
    return {};
}

// The URI a path is opened by: a URL stays as it is, a file path becomes file://.
QString ToUri(const std::string& path) {
    const QString text = QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
    const QUrl url(text, QUrl::StrictMode);
    if (url.isValid() && url.scheme().size() > 1 && text.contains(QStringLiteral("://"))) {
        return text;
    }
    return QUrl::fromLocalFile(QFileInfo(text).absoluteFilePath()).toString(QUrl::FullyEncoded);
}

std::string Truncated(const QString& text, std::size_t nMaxChars) {
    QList<uint> chars = text.toUcs4();
    if (static_cast<std::size_t>(chars.size()) > nMaxChars) {
        chars.resize(static_cast<qsizetype>(nMaxChars));
    }
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(chars.constData()), chars.size())
        .toStdString();
}

} // namespace

CMprisRemoteLink::CMprisRemoteLink()
    : m_strConnectionName(UniqueConnectionName()),
      m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, m_strConnectionName)) {}

CMprisRemoteLink::~CMprisRemoteLink() {
    if (m_bus.isConnected()) {
        // A call answered by the bus comes after every message sent before it.
        const QDBusMessage ping = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping"));
        m_bus.call(ping, QDBus::Block, kCallTimeoutMs);
    }
    QDBusConnection::disconnectFromBus(m_strConnectionName);
}

bool CMprisRemoteLink::IsBusConnected() const {
    return m_bus.isConnected();
}

// ---- windows ---------------------------------------------------------------------------

std::vector<RemoteWindow> CMprisRemoteLink::EnumLocked() {
    std::vector<RemoteWindow> windows;
    const auto names = AskBus(QStringLiteral("ListNames"), {});
    if (!names || names->metaType() != QMetaType::fromType<QStringList>()) {
        return windows;
    }
    QStringList players;
    for (const QString& name : names->toStringList()) {
        if (name.startsWith(kMprisPrefix) && name.size() > kMprisPrefix.size()) {
            players.append(name);
        }
    }
    players.sort();
    const auto ownPid = static_cast<qlonglong>(::getpid());
    for (const QString& name : players) {
        const auto owner = AskBus(QStringLiteral("GetNameOwner"), {name});
        const QString unique = owner ? ToText(*owner) : QString();
        if (unique.isEmpty() || unique == m_bus.baseService()) {
            continue;
        }
        const auto pid = AskBus(QStringLiteral("GetConnectionUnixProcessID"), {name});
        if (pid && ToInteger(*pid) == ownPid) {
            continue; // this program's own player
        }
        // One window per player, however many names it holds.
        const auto known = std::find_if(m_players.begin(), m_players.end(), [&](const auto& e) {
            return e.second.strUniqueName == unique;
        });
        RemoteWindow window = 0;
        if (known != m_players.end()) {
            window = known->first;
        } else {
            window = m_nextWindow++;
            Player player;
            player.strUniqueName = unique;
            m_players.emplace(window, std::move(player));
        }
        if (std::find(windows.begin(), windows.end(), window) == windows.end()) {
            windows.push_back(window);
        }
    }
    // Players that left the bus are forgotten; their handles are never given again.
    std::erase_if(m_players, [&](const auto& entry) {
        return std::find(windows.begin(), windows.end(), entry.first) == windows.end();
    });
    return windows;
}

CMprisRemoteLink::Player* CMprisRemoteLink::Find(RemoteWindow hWindow) {
    const auto it = m_players.find(hWindow);
    return it == m_players.end() ? nullptr : &it->second;
}

bool CMprisRemoteLink::IsOnBus(const Player& player) {
    const auto registered = AskBus(QStringLiteral("NameHasOwner"), {player.strUniqueName});
    return registered && registered->metaType().id() == QMetaType::Bool && registered->toBool();
}

RemoteWindow CMprisRemoteLink::FindWindow(const std::string& className) {
    if (className != Msg::kClassIpcWindow) {
        return 0;
    }
    std::lock_guard lock(m_mutex);
    const std::vector<RemoteWindow> windows = EnumLocked();
    return windows.empty() ? 0 : windows.front();
}

std::vector<RemoteWindow> CMprisRemoteLink::EnumWindows() {
    std::lock_guard lock(m_mutex);
    return EnumLocked();
}

std::string CMprisRemoteLink::GetClassName(RemoteWindow hWindow) {
    std::lock_guard lock(m_mutex);
    const Player* player = Find(hWindow);
    return player != nullptr && IsOnBus(*player) ? std::string(Msg::kClassIpcWindow)
                                                 : std::string();
}

std::string CMprisRemoteLink::GetWindowText(RemoteWindow hWindow, std::size_t nMaxChars) {
    std::lock_guard lock(m_mutex);
    const Player* player = Find(hWindow);
    if (player == nullptr) {
        return {};
    }
    const QVariantMap metadata = Metadata(*player);
    QString caption = ToText(Unwrap(metadata.value(QStringLiteral("xesam:title"))));
    if (caption.isEmpty()) {
        const QString url = ToText(Unwrap(metadata.value(QStringLiteral("xesam:url"))));
        caption = QUrl(url).fileName();
    }
    return Truncated(caption, nMaxChars);
}

// ---- messages --------------------------------------------------------------------------

std::int64_t CMprisRemoteLink::SendMessage(RemoteWindow hWindow, std::uint32_t nMessage,
                                           std::int64_t wParam, std::int64_t lParam) {
    std::lock_guard lock(m_mutex);
    Player* player = Find(hWindow);
    bool bHandedOver = false;
    return player == nullptr ? 0 : Deliver(*player, nMessage, wParam, lParam, true, bHandedOver);
}

bool CMprisRemoteLink::PostMessage(RemoteWindow hWindow, std::uint32_t nMessage,
                                   std::int64_t wParam, std::int64_t lParam) {
    std::lock_guard lock(m_mutex);
    Player* player = Find(hWindow);
    bool bHandedOver = false;
    if (player != nullptr) {
        Deliver(*player, nMessage, wParam, lParam, false, bHandedOver);
    }
    return bHandedOver;
}

std::int64_t CMprisRemoteLink::SendCopyData(RemoteWindow hWindow, std::uint64_t nDataType,
                                            std::span<const char> data) {
    std::lock_guard lock(m_mutex);
    Player* player = Find(hWindow);
    if (player == nullptr || nDataType != static_cast<std::uint64_t>(Msg::kIpcPlayFile)) {
        return 0;
    }
    // The path ends at its first zero byte (or with the block).
    const auto end = std::find(data.begin(), data.end(), '\0');
    return OpenPath(*player, std::string(data.begin(), end), true) ? 1 : 0;
}

std::int64_t CMprisRemoteLink::Deliver(Player& player, std::uint32_t nMessage, std::int64_t wParam,
                                       std::int64_t lParam, bool bWait, bool& bHandedOver) {
    bHandedOver = true;
    switch (nMessage) {
    case Msg::kWmUser:
        return DeliverIpc(player, lParam, wParam, bWait, bHandedOver);
    case Msg::kWmCommand:
        return DeliverButton(player, wParam & 0xFFFF, bWait, bHandedOver);
    case Msg::kWmClose:
        bHandedOver = Invoke(player, kRootInterface, QStringLiteral("Quit"), {}, bWait).has_value();
        return 0;
    default:
        bHandedOver = IsOnBus(player);
        return 0;
    }
}

std::int64_t CMprisRemoteLink::DeliverIpc(Player& player, std::int64_t nCode, std::int64_t wParam,
                                          bool bWait, bool& bHandedOver) {
    switch (nCode) {
    case Msg::kIpcGetVersion:
        return IsOnBus(player) ? kVersion : 0;
    case Msg::kIpcPlayFile:
        if (wParam != 0) {
            player.bytes.push_back(static_cast<char>(wParam & 0xFF));
            return 0;
        }
        bHandedOver = OpenPath(player, std::exchange(player.bytes, {}), bWait);
        return 0;
    case Msg::kIpcDelete:
        player.bytes.clear();
        player.state.NoteStop();
        bHandedOver =
            Invoke(player, kPlayerInterface, QStringLiteral("Stop"), {}, bWait).has_value();
        return 0;
    case Msg::kIpcStartPlay:
        player.state.NoteStart(std::chrono::steady_clock::now());
        bHandedOver =
            Invoke(player, kPlayerInterface, QStringLiteral("Play"), {}, bWait).has_value();
        return 0;
    case Msg::kIpcIsPlaying:
        return IsPlaying(player);
    case Msg::kIpcGetOutputTime:
        if (wParam == 1) {
            const auto length =
                ToInteger(Unwrap(Metadata(player).value(QStringLiteral("mpris:length"))));
            return length && *length > 0 ? *length / 1000000 : 0;
        }
        return std::max<std::int64_t>(PositionUs(player), 0) / 1000;
    case Msg::kIpcJumpToTime:
        bHandedOver = SeekTo(player, wParam, bWait);
        return bHandedOver ? 0 : -1;
    case Msg::kIpcSetVolume:
        bHandedOver = ChangeVolume(
            player, static_cast<double>(std::clamp<std::int64_t>(wParam, 0, 255)) / 255.0, bWait);
        return 0;
    default:
        bHandedOver = IsOnBus(player);
        return 0;
    }
}

std::int64_t CMprisRemoteLink::DeliverButton(Player& player, std::int64_t nButton, bool bWait,
                                             bool& bHandedOver) {
    QString method;
    switch (nButton) {
    case Msg::kButtonPause:
        method = QStringLiteral("PlayPause");
        break;
    case Msg::kButtonStop:
    case Msg::kButtonFadeOutStop:
        player.state.NoteStop();
        method = QStringLiteral("Stop");
        break;
    case Msg::kButtonNext:
        player.state.NoteStart(std::chrono::steady_clock::now());
        method = QStringLiteral("Next");
        break;
    case Msg::kButtonVolumeUp:
    case Msg::kButtonVolumeDown: {
        const QVariant volume = Property(player, QStringLiteral("Volume"));
        if (volume.metaType().id() != QMetaType::Double) {
            bHandedOver = false;
            return 0;
        }
        const double step = nButton == Msg::kButtonVolumeUp ? kVolumeStep : -kVolumeStep;
        bHandedOver = ChangeVolume(player, std::clamp(volume.toDouble() + step, 0.0, 1.0), bWait);
        return 0;
    }
    default:
        bHandedOver = IsOnBus(player);
        return 0;
    }
    bHandedOver = Invoke(player, kPlayerInterface, method, {}, bWait).has_value();
    return 0;
}

bool CMprisRemoteLink::OpenPath(Player& player, const std::string& path, bool bWait) {
    if (path.empty()) {
        return false;
    }
    player.state.NoteStart(std::chrono::steady_clock::now());
    return Invoke(player, kPlayerInterface, QStringLiteral("OpenUri"), {ToUri(path)}, bWait)
        .has_value();
}

std::int64_t CMprisRemoteLink::IsPlaying(Player& player) {
    using Mode = CMprisPlayState::Mode;
    const auto answer = [](Mode mode) {
        return mode == Mode::Playing  ? Msg::kIsPlayingPlaying
               : mode == Mode::Paused ? Msg::kIsPlayingPaused
                                      : Msg::kIsPlayingStopped;
    };
    if (!IsOnBus(player)) {
        return Msg::kIsPlayingStopped;
    }
    const QString status = ToText(Property(player, QStringLiteral("PlaybackStatus")));
    bool bHasTrack = false;
    if (status == QStringLiteral("Playing")) {
        const QVariantMap metadata = Metadata(player);
        const auto length = ToInteger(Unwrap(metadata.value(QStringLiteral("mpris:length"))));
        bHasTrack = !ToText(Unwrap(metadata.value(QStringLiteral("xesam:url")))).isEmpty() ||
                    (length && *length > 0);
    }
    if (const auto mode = player.state.FromStatus(status.toStdString(), bHasTrack)) {
        return answer(*mode);
    }
    // The position decides within a few samples (about kStillLimit at most).
    for (int sample = 0; sample < kMaxPositionSamples; ++sample) {
        const auto now = std::chrono::steady_clock::now();
        if (const auto mode = player.state.FromPosition(now, PositionUs(player))) {
            return answer(*mode);
        }
        std::this_thread::sleep_for(player.state.NextSampleIn(now));
    }
    return answer(player.state.Undecided(std::chrono::steady_clock::now()));
}

bool CMprisRemoteLink::SeekTo(Player& player, std::int64_t nPositionMs, bool bWait) {
    const std::int64_t targetUs = std::max<std::int64_t>(nPositionMs, 0) * 1000;
    const QString trackId = ToText(Unwrap(Metadata(player).value(QStringLiteral("mpris:trackid"))));
    if (!trackId.isEmpty() && trackId != kNoTrack && QDBusObjectPath(trackId).path() == trackId) {
        return Invoke(player, kPlayerInterface, QStringLiteral("SetPosition"),
                      {QVariant::fromValue(QDBusObjectPath(trackId)),
                       QVariant::fromValue(static_cast<qlonglong>(targetUs))},
                      bWait)
            .has_value();
    }
    // Without a track id only a relative seek is possible.
    const std::int64_t currentUs = PositionUs(player);
    if (currentUs < 0) {
        return false;
    }
    return Invoke(player, kPlayerInterface, QStringLiteral("Seek"),
                  {QVariant::fromValue(static_cast<qlonglong>(targetUs - currentUs))}, bWait)
        .has_value();
}

bool CMprisRemoteLink::ChangeVolume(Player& player, double dVolume, bool bWait) {
    return Invoke(player, kPropertiesInterface, QStringLiteral("Set"),
                  {kPlayerInterface, QStringLiteral("Volume"),
                   QVariant::fromValue(QDBusVariant(QVariant(dVolume)))},
                  bWait)
        .has_value();
}

// ---- bus calls -------------------------------------------------------------------------

std::optional<QDBusMessage> CMprisRemoteLink::Invoke(const Player& player,
                                                     const QString& interfaceName,
                                                     const QString& method,
                                                     const QVariantList& args, bool bWait) {
    if (!m_bus.isConnected()) {
        return std::nullopt;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(player.strUniqueName, kObjectPath, interfaceName, method);
    call.setArguments(args);
    if (!bWait) {
        call.setAutoStartService(false);
        if (!m_bus.send(call)) {
            return std::nullopt;
        }
        return QDBusMessage();
    }
    QDBusMessage reply = m_bus.call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        return std::nullopt;
    }
    return reply;
}

std::optional<QVariant> CMprisRemoteLink::AskBus(const QString& method, const QVariantList& args) {
    if (!m_bus.isConnected()) {
        return std::nullopt;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), method);
    call.setArguments(args);
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return std::nullopt;
    }
    return reply.arguments().constFirst();
}

QVariant CMprisRemoteLink::Property(const Player& player, const QString& name) {
    const auto reply =
        Invoke(player, kPropertiesInterface, QStringLiteral("Get"), {kPlayerInterface, name}, true);
    if (!reply || reply->arguments().isEmpty()) {
        return {};
    }
    return Unwrap(reply->arguments().constFirst());
}

QVariantMap CMprisRemoteLink::Metadata(const Player& player) {
    const QVariant value = Property(player, QStringLiteral("Metadata"));
    if (value.metaType() == QMetaType::fromType<QVariantMap>()) {
        return value.toMap();
    }
    if (value.metaType() != QMetaType::fromType<QDBusArgument>()) {
        return {};
    }
    const QDBusArgument argument = value.value<QDBusArgument>();
    // Anything but a dictionary of variants is not read: the player gave no metadata.
    if (argument.currentSignature() != QStringLiteral("a{sv}")) {
        return {};
    }
    QVariantMap metadata;
    argument >> metadata;
    return metadata;
}

std::int64_t CMprisRemoteLink::PositionUs(const Player& player) {
    const auto position = ToInteger(Property(player, QStringLiteral("Position")));
    return position ? *position : -1;
}

// ---- programs --------------------------------------------------------------------------

std::int64_t CMprisRemoteLink::StartProgram(const std::string& path) {
    const QString text = QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
    QString program = text;
    QStringList arguments;
    // A text that names no file is a command line: a program and its arguments.
    if (!QFileInfo(text).isFile()) {
        arguments = QProcess::splitCommand(text);
        if (arguments.isEmpty()) {
            return kNotFound;
        }
        program = arguments.takeFirst();
    }
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    return process.startDetached() ? kStarted : kNotFound;
}
