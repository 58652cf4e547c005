#include "ui/desktop/CMprisRootAdaptor.h"

#include "ui/desktop/CMprisServer.h"

CMprisRootAdaptor::CMprisRootAdaptor(CMprisServer& server)
    : QDBusAbstractAdaptor(&server), m_server(server) {}

void CMprisRootAdaptor::Raise() {
    if (m_server.GetCommands().raise) {
        m_server.GetCommands().raise();
    }
}

void CMprisRootAdaptor::Quit() {
    if (m_server.GetCommands().quit) {
        m_server.GetCommands().quit();
    }
}
