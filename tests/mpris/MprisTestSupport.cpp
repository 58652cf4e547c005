#include "MprisTestSupport.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QString>
#include <QVariantMap>
#include <filesystem>
#include <unistd.h>

namespace MprisTestSupport {

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

std::unique_ptr<QCoreApplication> MakeApp() {
    static int argc = 1;
    static char name[] = "mpris_tests";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QCoreApplication>(argc, argv);
}

std::string SelfPath() {
    return std::filesystem::read_symlink("/proc/self/exe").string();
}

namespace {

// A player that answers every property with a value of the wrong type ("wrongtypes"),
// with metadata whose entries have the wrong types ("wrongmeta"), or that leaves the bus
// in the middle of a call ("vanish"). Quit ends it.
class ScriptedPlayer : public QDBusVirtualObject {
public:
    explicit ScriptedPlayer(QString mode) : m_strMode(std::move(mode)) {}

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        const QString member = message.member();
        if (member == QStringLiteral("Quit")) {
            connection.send(message.createReply());
            QCoreApplication::exit(0);
            return true;
        }
        if (m_strMode == QStringLiteral("vanish") && member == QStringLiteral("OpenUri")) {
            ::_exit(0); // no answer: the caller sees the player gone mid-call
        }
        if (member == QStringLiteral("Get") && message.arguments().size() == 2) {
            connection.send(message.createReply(
                QVariant::fromValue(QDBusVariant(Value(message.arguments()[1].toString())))));
            return true;
        }
        if (member == QStringLiteral("Set")) {
            connection.send(message.createErrorReply(QStringLiteral("org.example.Refused"),
                                                     QStringLiteral("no")));
            return true;
        }
        connection.send(message.createReply());
        return true;
    }

private:
    QVariant Value(const QString& property) const {
        if (m_strMode == QStringLiteral("wrongmeta") && property == QStringLiteral("Metadata")) {
            return QVariantMap{{QStringLiteral("mpris:length"), QStringLiteral("long")},
                               {QStringLiteral("mpris:trackid"), 12},
                               {QStringLiteral("xesam:title"), 3.5},
                               {QStringLiteral("xesam:url"), QStringList{QStringLiteral("x")}}};
        }
        const QVariantMap wrong = {{QStringLiteral("PlaybackStatus"), 7},
                                   {QStringLiteral("Position"), QStringLiteral("soon")},
                                   {QStringLiteral("Volume"), QStringLiteral("loud")},
                                   {QStringLiteral("Metadata"), QStringLiteral("none")}};
        return wrong.value(property, QVariant::fromValue(QDBusVariant(QVariant(true))));
    }

    QString m_strMode;
};

} // namespace

int ServePlayer(int argc, char** argv, const std::string& mode) {
    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    ScriptedPlayer player(QString::fromStdString(mode));
    if (!bus.registerVirtualObject(QStringLiteral("/org/mpris/MediaPlayer2"), &player) ||
        !bus.registerService(QStringLiteral("org.mpris.MediaPlayer2.scripted"))) {
        return 1;
    }
    return app.exec();
}

} // namespace MprisTestSupport
