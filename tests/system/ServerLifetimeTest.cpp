#include <fstream>
#include <memory>
#include <stdlib.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <gtest/gtest.h>

#include "system/ServerTestEnv.h"
#include "system/SessionBus.h"
#include "vortan/AutomationClient.h"

namespace sys = vortan::systest;
using sys::Create;
using sys::FactoryCall;
using sys::Get;
using sys::ObjectCall;
using vortan::client::CreateObject;
using vortan::client::DispatchObject;

namespace {

// The automation object is on the bus under the server's name.
bool ObjectRegistered(const std::string& uniqueName) {
    const QDBusMessage xml = QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(
        QString::fromStdString(uniqueName), QStringLiteral("/ZEPH/VORTAN/Application"),
        QStringLiteral("org.freedesktop.DBus.Introspectable"), QStringLiteral("Introspect")));
    return xml.arguments().value(0).toString().contains(
        QLatin1String("<interface name=\"ZEPH.VORTAN.Application\">"));
}

} // namespace

TEST(ServerActivation, EveryClientGetsAProcessOfItsOwnThatEndsOnCloseServer) {
    sys::PrepareDesktop("two-clients", "");
    auto first = Create();
    std::unique_ptr<DispatchObject> second;
    ASSERT_EQ(CreateObject("{0100003B-2409-43F1-8BAC-7D0643B6159E}", second), S_OK);
    ASSERT_NE(first, nullptr);
    EXPECT_NE(first->ServerName(), second->ServerName());
    const unsigned firstPid = sys::ServerPid(first->ServerName());
    const unsigned secondPid = sys::ServerPid(second->ServerName());
    EXPECT_NE(firstPid, 0u);
    EXPECT_NE(firstPid, secondPid);
    // Unattended servers run on Qt Core and D-Bus alone: no GUI library, no fonts.
    const std::string maps = Get("/proc/" + std::to_string(secondPid) + "/maps");
    EXPECT_NE(maps.find("libQt6DBus"), std::string::npos);
    for (const char* library : {"libQt6Gui", "libQt6Widgets", "libfontconfig"})
        EXPECT_EQ(maps.find(library), std::string::npos) << library;

    // A served server has given up the name: a creation request sent to it straight is refused.
    const QDBusMessage again = QDBusConnection::sessionBus().call(
        FactoryCall(QString::fromStdString(first->ServerName())));
    EXPECT_EQ(again.errorName(), QStringLiteral("ZEPH.VORTAN.Error.SingleUse"));

    EXPECT_EQ(first->CloseServer(), S_OK);
    EXPECT_TRUE(sys::WaitProcessGone(firstPid, 10000));
    EXPECT_TRUE(sys::ProcessRunning(secondPid));
    EXPECT_EQ(second->CloseServer(), S_OK);
    EXPECT_TRUE(sys::WaitProcessGone(secondPid, 10000));
    // The server is gone: a further call says so.
    EXPECT_EQ(first->CloseServer(), vortan::client::RPC_E_DISCONNECTED);
}

TEST(ServerLifetime, ServerOfVanishedClientsIsReleasedAfterTheGraceAndEnds) {
    sys::PrepareDesktop("vanished", "");
    sys::SetActivationEnvironment({{QStringLiteral("VORTAN_RELEASE_GRACE"), QStringLiteral("2")}});
    std::string uniqueName;
    {
        QDBusConnection client = QDBusConnection::connectToBus(
            QString::fromStdString(sys::Env().busAddress), QStringLiteral("vanishing"));
        ASSERT_TRUE(client.isConnected());
        const QDBusMessage reply = client.call(
            FactoryCall(QStringLiteral("ZEPH.VORTAN.Application._7")), QDBus::Block, 60000);
        ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
        uniqueName = reply.service().toStdString();
        // Another connection may use the object too; it leaves as well.
        QDBusConnection other = QDBusConnection::connectToBus(
            QString::fromStdString(sys::Env().busAddress), QStringLiteral("other"));
        const QDBusMessage foreign = other.call(ObjectCall(uniqueName, "GetLastErrorCode"));
        EXPECT_EQ(foreign.type(), QDBusMessage::ReplyMessage)
            << foreign.errorMessage().toStdString();
    }
    sys::SetActivationEnvironment({{QStringLiteral("VORTAN_RELEASE_GRACE"), QString()}});
    const unsigned pid = sys::ServerPid(uniqueName);
    ASSERT_NE(pid, 0u);
    QDBusConnection::disconnectFromBus(QStringLiteral("vanishing"));
    QDBusConnection::disconnectFromBus(QStringLiteral("other"));
    // Within the grace the object waits for a further call.
    EXPECT_TRUE(ObjectRegistered(uniqueName));

    // Released, the object goes and the server with it.
    EXPECT_TRUE(sys::WaitProcessGone(pid, 10000));
}

TEST(ServerLifetime, ServerNobodyCreatesAnObjectOnExits) {
    sys::PrepareDesktop("idle", "");
    sys::SetActivationEnvironment(
        {{QStringLiteral("VORTAN_ACTIVATION_TIMEOUT"), QStringLiteral("1")}});
    // Activation without a creation: a peer ping starts the server.
    const QDBusMessage ping = QDBusConnection::sessionBus().call(
        QDBusMessage::createMethodCall(
            QStringLiteral("ZEPH.VORTAN.Application._7"), QStringLiteral("/"),
            QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping")),
        QDBus::Block, 60000);
    sys::SetActivationEnvironment({{QStringLiteral("VORTAN_ACTIVATION_TIMEOUT"), QString()}});
    ASSERT_EQ(ping.type(), QDBusMessage::ReplyMessage) << ping.errorMessage().toStdString();
    const std::string owner = ping.service().toStdString();
    const unsigned pid = sys::ServerPid(owner);
    ASSERT_NE(pid, 0u);
    EXPECT_TRUE(sys::WaitProcessGone(pid, 15000));
}

TEST(ServerStart, WithoutABusTheAutomationStartReportsTheOleFailure) {
    const std::string transcript = sys::Env().root + "/nobus.transcript";
    const std::string address = sys::Env().busAddress;
    setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + sys::Env().root + "/no-bus").c_str(), 1);
    setenv("VORTAN_TRANSCRIPT", transcript.c_str(), 1);
    const int exitCode = sys::RunProgram(sys::Env().program, {"-Automation"});
    setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
    unsetenv("VORTAN_TRANSCRIPT");
    EXPECT_NE(exitCode, 0);
    const auto lines = sys::ReadTranscript(transcript);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].value(QStringLiteral("event")).toString(), QStringLiteral("messagebox"));
    EXPECT_EQ(lines[0].value(QStringLiteral("text")).toString(),
              QStringLiteral("Fehler bei der OLE-Initialisierung. Überprüfen Sie, ob die "
                             "OLE-Bibliotheken in der richtigen Version vorliegen."));
    EXPECT_EQ(lines[0].value(QStringLiteral("type")).toInt(), 0);
}

// Without a display nobody could see or close the window: the start registers and exits.
TEST(ServerStart, StartWithoutSwitchesAndDisplayRewritesTheRegistrationAndExits) {
    const std::string service =
        sys::Env().dataHome + "/dbus-1/services/ZEPH.VORTAN.Application._7.service";
    std::ofstream(service, std::ios::trunc) << "stale";
    const std::string transcript = sys::Env().root + "/plain.transcript";
    setenv("VORTAN_TRANSCRIPT", transcript.c_str(), 1);
    const pid_t pid = sys::SpawnProgram(sys::Env().program, {});
    unsetenv("VORTAN_TRANSCRIPT");
    ASSERT_GT(pid, 0);
    EXPECT_EQ(sys::WaitProgram(pid, 30000), 0);
    EXPECT_EQ(Get(service), "[D-BUS Service]\nName=ZEPH.VORTAN.Application._7\nExec=" +
                                sys::Env().program + " --automation\n");
    EXPECT_TRUE(sys::ReadTranscript(transcript).empty());
}
