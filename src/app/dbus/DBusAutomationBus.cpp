#include "app/dbus/DBusAutomationBus.h"

#include <chrono>

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>

#include "app/LoopCallQueue.h"
#include "app/VORTANApp.h"
#include "app/dbus/DBusApplicationObject.h"
#include "app/dbus/DBusClassFactory.h"
#include "app/dbus/ServerRegistration.h"
#include "automation/dbus/BusContract.h"
#include "platform/win/WinUser.h"

namespace vortan::app {

namespace {

// A server nobody creates an object on within this time has lost its client.
constexpr int kDefaultActivationTimeoutMs = 60 * 1000;
constexpr int kConnectionCheckMs = 500;
constexpr int kBusCallTimeoutMs = 5000;

int ActivationTimeoutMs() {
    bool ok = false;
    const int seconds = qEnvironmentVariableIntValue("VORTAN_ACTIVATION_TIMEOUT", &ok);
    return ok && seconds > 0 ? seconds * 1000 : kDefaultActivationTimeoutMs;
}

// An object whose clients have all left the bus waits this long for a further call (a
// shell's next one-shot call) before it is released.
constexpr std::chrono::seconds kDefaultReleaseGrace{60};

std::chrono::milliseconds ReleaseGrace() {
    bool ok = false;
    const int seconds = qEnvironmentVariableIntValue("VORTAN_RELEASE_GRACE", &ok);
    return ok && seconds >= 0 ? std::chrono::seconds(seconds) : kDefaultReleaseGrace;
}

QDBusMessage BusDaemonCall(const char* member) {
    return QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QString::fromLatin1(member));
}

} // namespace

DBusAutomationBus::DBusAutomationBus() : m_connection(QDBusConnection::sessionBus()) {}

DBusAutomationBus::~DBusAutomationBus() {
    // No new calls; those already on their way to this thread are taken in and dropped with
    // the queue, never served (the bus tells their callers that nobody answered).
    m_connection.unregisterObject(QString::fromLatin1(automation::kApplicationPath));
    if (m_factory)
        m_connection.unregisterObject(QString::fromLatin1(automation::kClassFactoryPath));
    QCoreApplication::sendPostedEvents();
    m_object.reset();
    m_factory.reset();
    m_queue.reset();
}

bool DBusAutomationBus::Initialize() {
    return m_connection.isConnected();
}

void DBusAutomationBus::RegisterClassObjects(CVORTANApp& app) {
    m_pApp = &app;
    m_queue = std::make_unique<LoopCallQueue>();
    // Creation requests are served by the main window's loop, once it runs.
    m_factory = std::make_unique<DBusClassFactory>([this](const QDBusMessage& message) {
        m_queue->Post([this, message] { CreateInstance(message); });
    });
    // Objects first: a client the bus has queued for us may call the moment the name is ours.
    m_connection.registerVirtualObject(QString::fromLatin1(automation::kClassFactoryPath),
                                       m_factory.get(), QDBusConnection::SingleNode);
    if (!m_connection.registerService(QString::fromLatin1(automation::kBusName))) {
        // Someone else holds the name: this process can serve nobody.
        Quit(1);
        return;
    }

    m_activationTimer.setSingleShot(true);
    QObject::connect(&m_activationTimer, &QTimer::timeout, this, [this] {
        if (!m_bServed)
            Quit(0);
    });
    m_activationTimer.start(ActivationTimeoutMs());

    // No orphan outlives its session: without the bus the process ends.
    QObject::connect(&m_connectionTimer, &QTimer::timeout, this, [this] {
        if (!m_connection.isConnected())
            Quit(1);
    });
    m_connectionTimer.start(kConnectionCheckMs);
}

void DBusAutomationBus::WriteRegistration(const std::filesystem::path& program) {
    app::WriteRegistration(program);
    if (m_connection.isConnected())
        m_connection.call(BusDaemonCall("ReloadConfig"), QDBus::Block, kBusCallTimeoutMs);
}

void DBusAutomationBus::CreateInstance(const QDBusMessage& message) {
    if (m_bServed) {
        m_connection.send(message.createErrorReply(
            QString::fromLatin1(automation::kErrorSingleUse),
            QStringLiteral("this server serves one client only; create the object again to "
                           "start a new server")));
        return;
    }
    m_bServed = true;
    m_activationTimer.stop();
    m_object = std::make_unique<DBusApplicationObject>(
        m_connection, message.service(), ReleaseGrace(),
        m_pApp != nullptr ? m_pApp->m_pMainWnd : nullptr, *m_queue);
    // Single use: the name goes before the reply, so the next client's request starts a new
    // server instead of reaching this one.
    m_connection.unregisterService(QString::fromLatin1(automation::kBusName));
    if (!m_object->Registered()) {
        m_connection.send(
            message.createErrorReply(QDBusError::Failed, QStringLiteral("the object could not be "
                                                                        "registered")));
        return;
    }
    m_connection.send(message.createReply(
        QVariant::fromValue(QDBusObjectPath(QString::fromLatin1(automation::kApplicationPath)))));
}

void DBusAutomationBus::Quit(int exitCode) {
    m_nExitCode = exitCode;
    m_activationTimer.stop();
    m_connectionTimer.stop();
    ::PostQuitMessage(exitCode);
}

void DBusAutomationBus::Flush() {
    if (m_connection.isConnected())
        m_connection.call(BusDaemonCall("GetId"), QDBus::Block, kBusCallTimeoutMs);
}

} // namespace vortan::app
