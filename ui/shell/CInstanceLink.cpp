#include "ui/shell/CInstanceLink.h"

#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <memory>
#include <unistd.h>

namespace {
constexpr int kConnectWaitMs = 500;
constexpr int kWriteWaitMs = 2000;
} // namespace

QString CInstanceLink::DefaultName() {
    return QStringLiteral("mixorel-%1").arg(getuid());
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
