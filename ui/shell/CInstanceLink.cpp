#include "ui/shell/CInstanceLink.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <memory>
#include <unistd.h>

namespace {
constexpr int kConnectWaitMs = 500;
constexpr int kWriteWaitMs = 2000;
} // namespace

QString CInstanceLink::SocketPath(const QString& runtimeDir, const QString& tmpDir,
                                  const QString& waylandDisplay, const QString& x11Display,
                                  unsigned uid) {
    QString display = !waylandDisplay.isEmpty() ? waylandDisplay : x11Display;
    if (display.isEmpty()) {
        display = QStringLiteral("none");
    }
    // A display name may be a path (":0", "wayland-0", "/tmp/.X11-unix/X0").
    display.replace(QLatin1Char('/'), QLatin1Char('_'));
    const QString name = QStringLiteral("mixorel-%1").arg(display);
    if (!runtimeDir.isEmpty()) {
        return QDir(runtimeDir).filePath(name);
    }
    const QString tmp = tmpDir.isEmpty() ? QStringLiteral("/tmp") : tmpDir;
    return QDir(tmp).filePath(QStringLiteral("mixorel-%1/%2").arg(uid).arg(name));
}

QString CInstanceLink::DefaultName() {
    const QString path = SocketPath(
        qEnvironmentVariable("XDG_RUNTIME_DIR"), qEnvironmentVariable("TMPDIR"),
        qEnvironmentVariable("WAYLAND_DISPLAY"), qEnvironmentVariable("DISPLAY"), getuid());
    // The temporary folder is shared: the socket's own folder is the user's alone.
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo::exists(folder) && QDir().mkpath(folder)) {
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    return path;
}

bool CInstanceLink::HandOver(const QString& name, const QStringList& files) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(kConnectWaitMs)) {
        return false;
    }
    QByteArray message;
    for (const QString& file : files) {
        message += QFileInfo(file).absoluteFilePath().toUtf8() + '\n';
    }
    message += '\n'; // the end of the list
    socket.write(message);
    socket.waitForBytesWritten(kWriteWaitMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) {
        socket.waitForDisconnected(kWriteWaitMs);
    }
    return true;
}

CInstanceLink::CInstanceLink(QObject* parent) : QObject(parent), m_pServer(new QLocalServer(this)) {
    connect(m_pServer, &QLocalServer::newConnection, this, &CInstanceLink::OnConnection);
}

bool CInstanceLink::Listen(const QString& name) {
    m_pServer->setSocketOptions(QLocalServer::UserAccessOption);
    if (m_pServer->listen(name)) {
        return true;
    }
    QLocalServer::removeServer(name);
    return m_pServer->listen(name);
}

void CInstanceLink::OnConnection() {
    while (QLocalSocket* socket = m_pServer->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto buffer = std::make_shared<QByteArray>();
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, buffer] {
            *buffer += socket->readAll();
            // A hand-over ends with an empty line.
            if (!buffer->endsWith("\n\n") && *buffer != "\n") {
                return;
            }
            QStringList files;
            for (const QByteArray& line : buffer->split('\n')) {
                if (!line.isEmpty()) {
                    files.push_back(QString::fromUtf8(line));
                }
            }
            buffer->clear();
            Q_EMIT FilesReceived(files);
        });
    }
}
