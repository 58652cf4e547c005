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

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--serve-player") == 0) {
        QCoreApplication app(argc, argv);
        QDBusConnection bus = QDBusConnection::sessionBus();
        ScriptedPlayer player(QString::fromLocal8Bit(argv[2]));
        if (!bus.registerVirtualObject(QStringLiteral("/org/mpris/MediaPlayer2"), &player) ||
            !bus.registerService(QStringLiteral("org.mpris.MediaPlayer2.scripted"))) {
            return 1;
        }
        return app.exec();
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
