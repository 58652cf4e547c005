#include "ui/shell/CSignalCloser.h"

#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int g_anPipe[2] = {-1, -1};

extern "C" void OnCloseSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(g_anPipe[1], &byte, 1);
}

} // namespace

CSignalCloser::CSignalCloser(QObject* parent) : QObject(parent) {
    if (g_anPipe[0] < 0 && pipe2(g_anPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    m_pNotifier = new QSocketNotifier(g_anPipe[0], QSocketNotifier::Read, this);
    connect(m_pNotifier, &QSocketNotifier::activated, this, &CSignalCloser::OnReadable);
    struct sigaction action {};
    action.sa_handler = OnCloseSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

CSignalCloser::~CSignalCloser() {
    signal(SIGTERM, SIG_DFL);
    signal(SIGINT, SIG_DFL);
}

void CSignalCloser::OnReadable() {
    char bytes[16];
    while (read(g_anPipe[0], bytes, sizeof(bytes)) > 0) {
    }
    Q_EMIT Triggered();
}
