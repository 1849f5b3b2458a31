#pragma once

// The automation object on the bus: converts each call's D-Bus values and forwards it to the
// one CVORTANDlgAutoProxy of this server. Only the connection that created the object may
// call it; the object is released when that client calls Release() or leaves the bus.

#include "platform/WinDef.h"

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>

class CVORTANDlg;
class CVORTANDlgAutoProxy;
class QDBusMessage;
class QDBusServiceWatcher;

namespace vortan::app {

class DBusApplicationObject final : public QDBusVirtualObject {
public:
    // Creates the proxy on `mainDialog` for the client `owner` (a unique name) and registers
    // the object; `released` runs once the proxy is gone.
    DBusApplicationObject(QDBusConnection connection, QString owner, CVORTANDlg* mainDialog,
                          std::function<void()> released);
    ~DBusApplicationObject() override;

    bool Registered() const { return m_bRegistered; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;
    QString introspect(const QString& path) const override;

private:
    void Dispatch(const QDBusMessage& message);
    void CallMethod(const QDBusMessage& message, int dispid, bool late);
    void ReplyError(const QDBusMessage& message, HRESULT hr, const std::string& text);
    // Gives up the proxy: at once, or when the call running now has returned.
    void Release();
    void EmitProgress();

    QDBusConnection m_connection;
    QString m_strOwner;
    CVORTANDlg* m_pMainDialog = nullptr;
    std::unique_ptr<CVORTANDlgAutoProxy> m_proxy;
    std::function<void()> m_released;
    std::unique_ptr<QDBusServiceWatcher> m_ownerWatcher;
    QTimer m_progressTimer;
    QString m_strLastCaption;
    QString m_strLastStatus;
    int m_nLastPercent = -1;
    int m_nCallDepth = 0;
    bool m_bReleasePending = false;
    bool m_bRegistered = false;
};

} // namespace vortan::app
