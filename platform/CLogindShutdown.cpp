#include "CLogindShutdown.h"

#include <QDBusMessage>

CLogindShutdown::CLogindShutdown() : m_bus(QDBusConnection::systemBus()) {}

CLogindShutdown::CLogindShutdown(const QDBusConnection& bus) : m_bus(bus) {}

void CLogindShutdown::RequestShutdown() {
    PowerOff();
}

// "interactive" lets polkit ask the user for consent where the session may not power off
// on its own.
bool CLogindShutdown::PowerOff(QString* error) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PowerOff"));
    call << true;
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, 10000);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        if (error != nullptr) {
            *error = reply.errorName() + QStringLiteral(": ") + reply.errorMessage();
        }
        return false;
    }
    return true;
}
