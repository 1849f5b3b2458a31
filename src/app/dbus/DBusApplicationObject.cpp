#include "app/dbus/DBusApplicationObject.h"

#include <vector>

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QMetaObject>
#include <QStringList>

#include "app/LoopCallQueue.h"
#include "app/VORTANDlgAutoProxy.h"
#include "app/dbus/DBusValues.h"
#include "automation/ArgumentFrame.h"
#include "automation/dbus/BusContract.h"
#include "engine/VORTANDlg.h"
#include "platform/win/WinUser.h"

namespace vortan::app {

DBusApplicationObject::DBusApplicationObject(QDBusConnection connection, QString creator,
                                             std::chrono::milliseconds releaseGrace,
                                             CVORTANDlg* mainDialog, LoopCallQueue& queue)
    : m_connection(std::move(connection)),
      m_proxy(std::make_unique<CVORTANDlgAutoProxy>(mainDialog)), m_queue(queue),
      m_lease(releaseGrace,
              {.release = [this] { ReleaseNow(); },
               .arm = [this](std::chrono::milliseconds delay) { m_graceTimer.start(delay); },
               .disarm = [this] { m_graceTimer.stop(); }}) {
    m_clientWatcher = std::make_unique<QDBusServiceWatcher>();
    m_clientWatcher->setConnection(m_connection);
    m_clientWatcher->setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
    QObject::connect(m_clientWatcher.get(), &QDBusServiceWatcher::serviceUnregistered, this,
                     [this](const QString& client) { ClientLeft(client); });
    m_graceTimer.setSingleShot(true);
    QObject::connect(&m_graceTimer, &QTimer::timeout, this, [this] { m_lease.GraceOver(); });
    m_bRegistered = m_connection.registerVirtualObject(
        QString::fromLatin1(automation::kApplicationPath), this, QDBusConnection::SingleNode);
    if (mainDialog != nullptr && ::IsWindow(mainDialog->GetSafeHwnd()))
        m_progress =
            std::make_unique<DBusProgressSignal>(m_connection, mainDialog->GetSafeHwnd(), creator);
    NoteClient(creator);
}

DBusApplicationObject::~DBusApplicationObject() {
    if (m_bRegistered)
        m_connection.unregisterObject(QString::fromLatin1(automation::kApplicationPath));
}

bool DBusApplicationObject::handleMessage(const QDBusMessage& message, const QDBusConnection&) {
    if (message.interface().startsWith(QLatin1String("org.freedesktop.DBus.")))
        return false; // introspection and peer calls are the library's
    // Calls run on the program's one thread, from whatever message loop runs there.
    QMetaObject::invokeMethod(
        this,
        [this, message] {
            // Noted on arrival: a running call may keep the queue from serving this one.
            NoteClient(message.service());
            m_queue.Post([this, message] { Dispatch(message); });
        },
        Qt::QueuedConnection);
    return true;
}

QString DBusApplicationObject::introspect(const QString&) const {
    return QString::fromStdString(automation::ApplicationInterfaceXml());
}

void DBusApplicationObject::Dispatch(const QDBusMessage& message) {
    if (!m_proxy) {
        m_connection.send(message.createErrorReply(QDBusError::UnknownObject,
                                                   QStringLiteral("the object was released")));
        return;
    }
    if (!message.interface().isEmpty() &&
        message.interface() != QLatin1String(automation::kApplicationInterface)) {
        m_connection.send(message.createErrorReply(
            QDBusError::UnknownInterface, QStringLiteral("no interface ") + message.interface()));
        return;
    }

    const QString member = message.member();
    if (member == QLatin1String("Release") && message.signature().isEmpty()) {
        m_connection.send(message.createReply());
        m_lease.Release();
        return;
    }
    if (member == QLatin1String("GetIDsOfNames")) {
        if (message.signature() != QLatin1String("as")) {
            m_connection.send(message.createErrorReply(QDBusError::InvalidArgs,
                                                       QStringLiteral("GetIDsOfNames takes (as)")));
            return;
        }
        QList<int> dispids;
        for (const QString& name : message.arguments().value(0).toStringList()) {
            const automation::MethodInfo* method = automation::FindMethod(name.toStdString());
            if (method == nullptr) {
                ReplyError(message, DISP_E_UNKNOWNNAME,
                           "no method named \"" + name.toStdString() + "\"");
                return;
            }
            dispids.push_back(method->dispid);
        }
        m_connection.send(message.createReply(QVariant::fromValue(dispids)));
        return;
    }
    if (member == QLatin1String("Invoke")) {
        if (message.signature() != QLatin1String("iav")) {
            m_connection.send(message.createErrorReply(
                QDBusError::InvalidArgs,
                QStringLiteral("Invoke takes (iav), not (%1)").arg(message.signature())));
            return;
        }
        CallMethod(message, message.arguments().value(0).toInt(), true);
        return;
    }
    const automation::MethodInfo* method = nullptr;
    for (const automation::MethodInfo& candidate : automation::Methods()) {
        if (member ==
            QLatin1String(candidate.name.data(), static_cast<qsizetype>(candidate.name.size())))
            method = &candidate;
    }
    if (method == nullptr) {
        m_connection.send(message.createErrorReply(QDBusError::UnknownMethod,
                                                   QStringLiteral("no method ") + member));
        return;
    }
    const QString expected = QString::fromStdString(automation::InputSignature(*method));
    if (message.signature() != expected) {
        m_connection.send(message.createErrorReply(
            QDBusError::InvalidArgs,
            QStringLiteral("%1 takes (%2), not (%3)").arg(member, expected, message.signature())));
        return;
    }
    CallMethod(message, method->dispid, false);
}

void DBusApplicationObject::CallMethod(const QDBusMessage& message, int dispid, bool late) {
    const automation::MethodInfo* method = automation::FindMethod(static_cast<DISPID>(dispid));
    if (method == nullptr) {
        ReplyError(message, DISP_E_MEMBERNOTFOUND,
                   "no method with DISPID " + std::to_string(dispid));
        return;
    }

    QList<QVariant> values;
    if (late) {
        if (!dbus::UnpackVariantArray(message.arguments().value(1), values)) {
            ReplyError(message, DISP_E_TYPEMISMATCH, "the arguments are no array of variants");
            return;
        }
    } else {
        values = message.arguments();
    }
    std::vector<com::UniqueVariant> owned(static_cast<std::size_t>(values.size()));
    for (qsizetype i = 0; i < values.size(); ++i) {
        std::string error;
        const HRESULT hr = dbus::ToVariant(values[i], owned[static_cast<std::size_t>(i)], error);
        if (FAILED(hr)) {
            ReplyError(message, hr,
                       "argument " + std::to_string(i + 1) + " of " + std::string(method->name) +
                           ": " + error);
            return;
        }
    }
    std::vector<VARIANT> args;
    args.reserve(owned.size());
    for (const com::UniqueVariant& value : owned)
        args.push_back(value.Get()); // shallow: `owned` keeps the content

    automation::ArgumentFrame frame;
    std::string error;
    UINT argError = 0;
    const HRESULT hrLoad = frame.Load(*method, args, late, error, argError);
    if (FAILED(hrLoad)) {
        ReplyError(message, hrLoad, error);
        return;
    }

    // The method may run nested loops (a question, the wait for the controller) that bring
    // further calls, a Release or the client's departure; the lease keeps the proxy until the
    // call has returned.
    if (m_progress && !m_lease.InCall())
        m_progress->SetTarget(message.service());
    m_lease.CallStarted();
    const LONG code = m_proxy->Invoke(*method, frame);
    // The client hears the window's last state before the answer.
    if (m_progress)
        m_progress->Flush();

    QList<QVariant> outputs;
    for (const com::UniqueVariant& value : frame.Outputs())
        outputs.push_back(dbus::FromVariant(value.Get()));
    QList<QVariant> reply{QVariant::fromValue<int>(code)};
    if (late)
        reply.push_back(QVariant::fromValue(outputs));
    else
        reply.append(outputs);
    m_connection.send(message.createReply(reply));
    m_lease.CallEnded();
}

void DBusApplicationObject::ReplyError(const QDBusMessage& message, HRESULT hr,
                                       const std::string& text) {
    m_connection.send(message.createErrorReply(
        QString::fromLatin1(automation::DispatchErrorName(hr).data(),
                            static_cast<qsizetype>(automation::DispatchErrorName(hr).size())),
        QString::fromStdString(FormatHResult(hr) + ": " + text)));
}

void DBusApplicationObject::NoteClient(const QString& client) {
    if (!m_lease.NoteClient(client.toStdString()))
        return;
    m_clientWatcher->addWatchedService(client);
    // A client that left before the watch began is never reported: ask once. A one-shot
    // client is usually gone right after its answer.
    const QDBusReply<bool> onBus = m_connection.interface()->isServiceRegistered(client);
    if (onBus.isValid() && !onBus.value())
        ClientLeft(client);
}

void DBusApplicationObject::ClientLeft(const QString& client) {
    m_clientWatcher->removeWatchedService(client);
    m_lease.ClientLeft(client.toStdString());
}

void DBusApplicationObject::ReleaseNow() {
    m_progress.reset();
    if (m_bRegistered) {
        m_connection.unregisterObject(QString::fromLatin1(automation::kApplicationPath));
        m_bRegistered = false;
    }
    // The release may come inside the watcher's own signal: the watcher stays until the
    // object goes, it only stops reporting.
    m_clientWatcher->disconnect(this);
    m_proxy.reset(); // detaches from the dialog and unlocks the application
}

} // namespace vortan::app
