#include "ui/desktop/CMprisServer.h"

#include "ui/desktop/CMprisPlayerAdaptor.h"
#include "ui/desktop/CMprisRootAdaptor.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QTimer>
#include <QUrl>

namespace {
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
}

CMprisServer::CMprisServer(Commands commands, QObject* parent)
    : QObject(parent), m_commands(std::move(commands)),
      m_bus(QStringLiteral("mixorel-mpris-none")) {
    new CMprisRootAdaptor(*this);
    new CMprisPlayerAdaptor(*this);
    m_pTimer = new QTimer(this);
    connect(m_pTimer, &QTimer::timeout, this, &CMprisServer::Refresh);
}

CMprisServer::~CMprisServer() {
    if (m_bRegistered) {
        m_bus.unregisterObject(QString::fromLatin1(kObjectPath));
        m_bus.unregisterService(QString::fromLatin1(kServiceName));
    }
}

bool CMprisServer::Register(const QDBusConnection& bus) {
    m_bus = bus;
    if (!m_bus.isConnected() ||
        !m_bus.registerObject(QString::fromLatin1(kObjectPath), this,
                              QDBusConnection::ExportAdaptors) ||
        !m_bus.registerService(QString::fromLatin1(kServiceName))) {
        return false;
    }
    m_bRegistered = true;
    Refresh();
    m_pTimer->start(kRefreshMs);
    return true;
}

QVariantMap CMprisServer::Metadata() const {
    QVariantMap map;
    const QString track = QStringLiteral("/org/mixorel/track/%1").arg(m_now.nTrack);
    map.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(track)));
    if (m_now.nTrack == 0) {
        return map;
    }
    map.insert(QStringLiteral("xesam:title"), QString::fromStdString(m_now.strTitle));
    if (!m_now.strArtist.empty()) {
        map.insert(QStringLiteral("xesam:artist"),
                   QStringList{QString::fromStdString(m_now.strArtist)});
    }
    if (!m_now.strAlbum.empty()) {
        map.insert(QStringLiteral("xesam:album"), QString::fromStdString(m_now.strAlbum));
    }
    if (m_now.nLengthUs > 0) {
        map.insert(QStringLiteral("mpris:length"), static_cast<qlonglong>(m_now.nLengthUs));
    }
    if (!m_now.strPath.empty()) {
        map.insert(QStringLiteral("xesam:url"),
                   QUrl::fromLocalFile(QString::fromStdString(m_now.strPath))
                       .toString(QUrl::FullyEncoded));
    }
    return map;
}

void CMprisServer::SetVolume(double volume) {
    const double clamped = volume < 0 ? 0 : volume > 1 ? 1 : volume;
    if (clamped == m_dVolume) {
        return;
    }
    m_dVolume = clamped;
    if (m_commands.setVolume) {
        m_commands.setVolume(m_dVolume);
    }
    Announce({{QStringLiteral("Volume"), m_dVolume}});
}

void CMprisServer::Refresh() {
    if (!m_commands.read) {
        return;
    }
    const CNowPlaying now = m_commands.read();
    if (now.SameAs(m_now)) {
        m_now.nPositionUs = now.nPositionUs;
        return;
    }
    const CNowPlaying before = m_now;
    m_now = now;
    QVariantMap changed;
    if (now.status != before.status) {
        changed.insert(QStringLiteral("PlaybackStatus"),
                       QString::fromLatin1(CNowPlaying::StatusText(now.status)));
    }
    if (now.bCanGoNext != before.bCanGoNext) {
        changed.insert(QStringLiteral("CanGoNext"), now.bCanGoNext);
    }
    if (now.nTrack != before.nTrack && now.nTrack != 0 && m_commands.trackStarted) {
        m_commands.trackStarted(now);
    }
    if (now.nTrack != before.nTrack || now.strTitle != before.strTitle ||
        now.nLengthUs != before.nLengthUs || now.strPath != before.strPath) {
        changed.insert(QStringLiteral("Metadata"), Metadata());
    }
    if (!changed.isEmpty()) {
        Announce(changed);
    }
}

void CMprisServer::Announce(const QVariantMap& changed) {
    if (!m_bRegistered) {
        return;
    }
    QDBusMessage signal = QDBusMessage::createSignal(
        QString::fromLatin1(kObjectPath), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("PropertiesChanged"));
    signal << kPlayerInterface << changed << QStringList();
    m_bus.send(signal);
}
