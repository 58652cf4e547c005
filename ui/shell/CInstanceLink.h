#pragma once

#include <QObject>
#include <QStringList>

class QLocalServer;

// One program per user and display: the first `mixorel` listens on a local socket; a later
// one on the same display hands it the files of its command line (absolute paths, one per
// line) and ends. An empty hand-over brings the running program's window forward. The
// socket lies in the user's runtime folder, named after the display, so a program on
// another display or in another login session never receives the files.
class CInstanceLink final : public QObject {
    Q_OBJECT
public:
    // The socket of this user's program on this display (the folder made when missing).
    static QString DefaultName();
    // The socket's path from the environment's values: the runtime folder
    // ($XDG_RUNTIME_DIR, private to the user), else a private folder of the user's own in
    // the temporary folder; the file named after the display (Wayland's before X11's).
    static QString SocketPath(const QString& runtimeDir, const QString& tmpDir,
                              const QString& waylandDisplay, const QString& x11Display,
                              unsigned uid);
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
