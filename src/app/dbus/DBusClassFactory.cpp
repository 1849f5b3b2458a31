#include "app/dbus/DBusClassFactory.h"

#include <utility>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QMetaObject>

#include "automation/dbus/BusContract.h"

namespace vortan::app {

DBusClassFactory::DBusClassFactory(std::function<void(const QDBusMessage&)> createInstance)
    : m_createInstance(std::move(createInstance)) {}

bool DBusClassFactory::handleMessage(const QDBusMessage& message,
                                     const QDBusConnection& connection) {
    if (message.interface().startsWith(QLatin1String("org.freedesktop.DBus.")))
        return false;
    const bool known = message.member() == QLatin1String("CreateInstance") &&
                       message.signature().isEmpty() &&
                       (message.interface().isEmpty() ||
                        message.interface() == QLatin1String(automation::kClassFactoryInterface));
    if (!known) {
        QDBusConnection(connection)
            .send(message.createErrorReply(
                QDBusError::UnknownMethod,
                QStringLiteral("the class factory has only CreateInstance()")));
        return true;
    }
    QMetaObject::invokeMethod(
        this, [this, message] { m_createInstance(message); }, Qt::QueuedConnection);
    return true;
}

QString DBusClassFactory::introspect(const QString&) const {
    return QString::fromStdString(automation::ClassFactoryInterfaceXml());
}

} // namespace vortan::app
