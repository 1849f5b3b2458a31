#pragma once

// The automation object on the bus: converts each call's D-Bus values and forwards it to the
// one CVORTANDlgAutoProxy of this server. Any connection of the bus may call it, so one-shot
// clients (gdbus call, busctl call) can use it too. It is released when a client calls
// Release(), or when none of the connections that created or called it is left on the bus and
// no call has come for the grace period: no orphan outlives its vanished clients.

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QString>
#include <QTimer>

#include "app/ClientLease.h"
#include "app/dbus/DBusProgressSignal.h"
#include "platform/WinDef.h"

class CVORTANDlg;
class CVORTANDlgAutoProxy;
class QDBusMessage;
class QDBusServiceWatcher;

namespace vortan::app {

class LoopCallQueue;

class DBusApplicationObject final : public QDBusVirtualObject {
public:
    // Creates the proxy on `mainDialog` for the client `creator` (a unique name) and registers
    // the object. Calls are served through `queue`, from the program's message loop.
    DBusApplicationObject(QDBusConnection connection, QString creator,
                          std::chrono::milliseconds releaseGrace, CVORTANDlg* mainDialog,
                          LoopCallQueue& queue);
    ~DBusApplicationObject() override;

    bool Registered() const { return m_bRegistered; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;
    QString introspect(const QString& path) const override;

private:
    void Dispatch(const QDBusMessage& message);
    void CallMethod(const QDBusMessage& message, int dispid, bool late);
    // A call or the creation came from `client`: the lease starts anew, and a new client is
    // watched until it leaves the bus.
    void NoteClient(const QString& client);
    void ClientLeft(const QString& client);
    void ReplyError(const QDBusMessage& message, HRESULT hr, const std::string& text);
    // Gives up the proxy; the lease calls it once no call runs.
    void ReleaseNow();

    QDBusConnection m_connection;
    std::unique_ptr<CVORTANDlgAutoProxy> m_proxy;
    LoopCallQueue& m_queue;
    std::unique_ptr<QDBusServiceWatcher> m_clientWatcher; // kept until the object goes
    QTimer m_graceTimer;
    ClientLease m_lease;
    std::unique_ptr<DBusProgressSignal> m_progress; // while the object serves a window
    bool m_bRegistered = false;
};

} // namespace vortan::app
