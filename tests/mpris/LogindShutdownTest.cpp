// The power-off request, sent on the private session bus of the test (no logind there):
// a bus monitor sees the call with its destination, object, interface and argument, and
// the request reports the bus's error instead of success.
#include "MprisTestSupport.h"

#include "platform/CLogindShutdown.h"

#include <QDBusConnection>

namespace {

TEST(LogindShutdownTest, AsksLogindToPowerOffAndReportsAFailure) {
    if (!TestFiles::HaveTool("dbus-monitor")) {
        GTEST_SKIP() << "dbus-monitor is not installed";
    }
    BusMonitor monitor("member='PowerOff'");
    ASSERT_TRUE(monitor.Started());
    const auto app = MakeApp();
    CLogindShutdown shutdown(QDBusConnection::sessionBus());
    QString error;
    EXPECT_FALSE(shutdown.PowerOff(&error));
    EXPECT_TRUE(error.contains(QStringLiteral("ServiceUnknown"))) << error.toStdString();

    const std::string seen = monitor.Seen({"PowerOff", "boolean true"}, 2000ms);
    for (const char* part : {"destination=org.freedesktop.login1", "path=/org/freedesktop/login1",
                             "interface=org.freedesktop.login1.Manager", "boolean true"}) {
        EXPECT_NE(seen.find(part), std::string::npos) << seen;
    }
}

} // namespace
