// The smallest Qt D-Bus server: the yardstick of bench_activation. It claims a name, answers
// CreateInstance with an object path and every other call with nothing, and ends after
// CloseServer, so that the next creation starts it again, as with vortan.

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>

namespace {

class NullObject final : public QDBusVirtualObject {
public:
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        QDBusConnection bus(connection);
        if (message.member() == QLatin1String("CreateInstance")) {
            bus.send(message.createReply(
                QVariant::fromValue(QDBusObjectPath(QStringLiteral("/Null/Object")))));
        } else {
            bus.send(message.createReply(QVariant::fromValue<int>(0)));
            if (message.member() == QLatin1String("CloseServer"))
                QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        }
        return true;
    }
    QString introspect(const QString&) const override { return {}; }
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    NullObject object;
    bus.registerVirtualObject(QStringLiteral("/Null"), &object, QDBusConnection::SubPath);
    if (!bus.registerService(QStringLiteral("org.example.NullServer")))
        return 1;
    return app.exec();
}
