#include "ui/desktop/CMprisPlayerAdaptor.h"

#include "ui/desktop/CMprisServer.h"

CMprisPlayerAdaptor::CMprisPlayerAdaptor(CMprisServer& server)
    : QDBusAbstractAdaptor(&server), m_server(server) {}

QString CMprisPlayerAdaptor::PlaybackStatus() const {
    return QString::fromLatin1(CNowPlaying::StatusText(m_server.Now().status));
}

QVariantMap CMprisPlayerAdaptor::Metadata() const {
    return m_server.Metadata();
}

qlonglong CMprisPlayerAdaptor::Position() const {
    const auto& commands = const_cast<CMprisServer&>(m_server).GetCommands();
    return commands.read ? commands.read().nPositionUs : 0;
}

double CMprisPlayerAdaptor::Volume() const {
    return m_server.Volume();
}

void CMprisPlayerAdaptor::SetVolume(double volume) {
    m_server.SetVolume(volume);
}

bool CMprisPlayerAdaptor::CanGoNext() const {
    return m_server.Now().bCanGoNext;
}

namespace {
void Run(const std::function<void()>& command) {
    if (command) {
        command();
    }
}
} // namespace

void CMprisPlayerAdaptor::Next() {
    if (m_server.Now().bCanGoNext) {
        Run(m_server.GetCommands().next);
    }
}

// Pause pauses only what plays; PlayPause also resumes.
void CMprisPlayerAdaptor::Pause() {
    if (m_server.Now().status == CNowPlaying::kPlaying) {
        Run(m_server.GetCommands().pause);
    }
}

void CMprisPlayerAdaptor::PlayPause() {
    if (m_server.Now().status == CNowPlaying::kStopped) {
        Run(m_server.GetCommands().play);
    } else {
        Run(m_server.GetCommands().pause);
    }
}

void CMprisPlayerAdaptor::Stop() {
    Run(m_server.GetCommands().stop);
}

void CMprisPlayerAdaptor::Play() {
    switch (m_server.Now().status) {
    case CNowPlaying::kStopped:
        Run(m_server.GetCommands().play);
        break;
    case CNowPlaying::kPaused:
        Run(m_server.GetCommands().pause);
        break;
    default:
        break;
    }
}
