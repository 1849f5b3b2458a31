#pragma once

#include <functional>

#include <QDBusVirtualObject>

class QDBusMessage;

namespace vortan::app {

// The class object on the bus (/ZEPH/VORTAN/ClassFactory): CreateInstance() -> o. What a
// creation does is the host's; this only routes the call onto the program's thread.
class DBusClassFactory final : public QDBusVirtualObject {
public:
    explicit DBusClassFactory(std::function<void(const QDBusMessage&)> createInstance);

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;
    QString introspect(const QString& path) const override;

private:
    std::function<void(const QDBusMessage&)> m_createInstance;
};

} // namespace vortan::app
