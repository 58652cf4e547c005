#pragma once

#include "catalogue/ILoopRunner.h"

#include <QDBusConnection>
#include <QString>

// Powers the computer off through systemd-logind ("org.freedesktop.login1" on the system
// bus, method PowerOff): what the end of a loop asks for when "Shut down PC at the end of
// looping" is on. The question "askshutdownpc" asks comes before, from the main window.
// Tests give a private session bus instead of the system bus.
class CLogindShutdown final : public IShutdownRequest {
public:
    CLogindShutdown();
    explicit CLogindShutdown(const QDBusConnection& bus);

    void RequestShutdown() override;
    // The call itself; false with logind's (or the bus's) error text.
    bool PowerOff(QString* error = nullptr);

private:
    QDBusConnection m_bus;
};
