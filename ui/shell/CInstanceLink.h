#pragma once

#include <QObject>
#include <QStringList>

class QLocalServer;

// One program per user: the first `mixorel` listens on a local socket; a later one hands
// it the files of its command line (absolute paths, one per line) and ends. An empty
// hand-over brings the running program's window forward.
class CInstanceLink final : public QObject {
    Q_OBJECT
public:
    // The socket name of this user's program.
    static QString DefaultName();
    // Hands the files to a running program; false when none listens.
    static bool HandOver(const QString& name, const QStringList& files);

    explicit CInstanceLink(QObject* parent = nullptr);
    // Starts listening (a socket left by a crashed program is taken over).
    bool Listen(const QString& name);

Q_SIGNALS:
    void FilesReceived(const QStringList& files);

private:
    void OnConnection();

    QLocalServer* m_pServer;
};
