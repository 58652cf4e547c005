#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM and SIGINT (logout, `kill`, Ctrl+C in a terminal) as a signal of the
// user-interface thread: the handler only writes a byte to a pipe, which the event loop
// reads.
class CSignalCloser final : public QObject {
    Q_OBJECT
public:
    explicit CSignalCloser(QObject* parent = nullptr);
    ~CSignalCloser() override;

Q_SIGNALS:
    void Triggered();

private:
    void OnReadable();

    QSocketNotifier* m_pNotifier = nullptr;
};
