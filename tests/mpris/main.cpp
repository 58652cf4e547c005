// The MPRIS tests' entry. With --serve-player MODE the program is instead the scripted
// player that some tests start as a child process.
#include "MprisTestSupport.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QString>
#include <QVariantMap>
#include <cstring>
#include <unistd.h>

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
        if (m_strMode == "vanish" && member == "OpenUri") {
            ::_exit(0); // no answer: the caller sees the player gone mid-call
        }
        if (member == "Get" && message.arguments().size() == 2) {
            connection.send(message.createReply(
                QVariant::fromValue(QDBusVariant(Value(message.arguments()[1].toString())))));
        } else if (member == "Set") {
            connection.send(message.createErrorReply("org.example.Refused", "no"));
        } else {
            connection.send(message.createReply());
        }
        if (member == "Quit") {
            QCoreApplication::exit(0);
        }
        return true;
    }

private:
    QVariant Value(const QString& property) const {
        if (m_strMode == "wrongmeta" && property == "Metadata") {
            return QVariantMap{{"mpris:length", "long"},
                               {"mpris:trackid", 12},
                               {"xesam:title", 3.5},
                               {"xesam:url", QStringList{"x"}}};
        }
        const QVariantMap wrong = {
            {"PlaybackStatus", 7}, {"Position", "soon"}, {"Volume", "loud"}, {"Metadata", "none"}};
        return wrong.value(property, QVariant::fromValue(QDBusVariant(QVariant(true))));
    }

    QString m_strMode;
};

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--serve-player") == 0) {
        QCoreApplication app(argc, argv);
        QDBusConnection bus = QDBusConnection::sessionBus();
        ScriptedPlayer player(QString::fromLocal8Bit(argv[2]));
        if (!bus.registerVirtualObject("/org/mpris/MediaPlayer2", &player) ||
            !bus.registerService("org.mpris.MediaPlayer2.scripted")) {
            return 1;
        }
        return app.exec();
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
