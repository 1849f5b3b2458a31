#include "system/ServerTestEnv.h"
#include "system/SessionBus.h"

#include "vortan/AutomationClient.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

namespace sys = vortan::systest;

namespace {

QDBusMessage Call(const std::string& server, const char* path, const char* interface,
                  const char* method) {
    return QDBusMessage::createMethodCall(QString::fromStdString(server), QString::fromLatin1(path),
                                          QString::fromLatin1(interface),
                                          QString::fromLatin1(method));
}

// The unique name under which the process `pid` has claimed the bus name; empty if it did
// not within `ms`.
std::string WaitForServer(QDBusConnection& bus, pid_t pid, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        const auto owner =
            bus.interface()->serviceOwner(QStringLiteral("ZEPH.VORTAN.Application._7"));
        if (owner.isValid() &&
            sys::ServerPid(owner.value().toStdString()) == static_cast<unsigned>(pid))
            return owner.value().toStdString();
        QThread::msleep(20);
    }
    return {};
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

// Two servers see their bus go: one serving an object, and one whose client released the
// object after a read cancelled at the overwrite question (its window stays, so only the
// end of the session ends it, through the main window's destruction).
TEST(ServerLifetime, LosingTheBusEndsEveryServerCleanly) {
    sys::PrepareDesktop("bus-loss", "");
    std::unique_ptr<vortan::client::DispatchObject> object;
    std::string error;
    ASSERT_EQ(vortan::client::CreateObject("ZEPH.VORTAN.Application.7", object, &error), S_OK)
        << error;
    const unsigned pid = sys::ServerPid(object->ServerName());
    ASSERT_NE(pid, 0u);
    ASSERT_TRUE(sys::ProcessRunning(pid));

    // Started by the test rather than the bus, so that its exit code and its sanitizer
    // reports can be seen. No answer script: the overwrite question is cancelled.
    const std::string local = sys::Env().root + "/cancelled";
    std::filesystem::create_directories(local);
    std::ofstream(local + "/a.ini") << "kept";
    const std::string errors = sys::Env().root + "/released.stderr";
    const pid_t released = sys::SpawnProgram(sys::Env().program, {"--automation"}, errors);
    ASSERT_GT(released, 0);
    // A connection of its own, closed before the bus goes, as a client would have done.
    QDBusConnection bus = QDBusConnection::connectToBus(
        QString::fromStdString(sys::Env().busAddress), QStringLiteral("released-client"));
    const std::string server = WaitForServer(bus, released, 30000);
    ASSERT_FALSE(server.empty());
    const QDBusMessage created = bus.call(
        Call(server, "/ZEPH/VORTAN/ClassFactory", "ZEPH.VORTAN.ClassFactory", "CreateInstance"),
        QDBus::Block, 60000);
    ASSERT_EQ(created.type(), QDBusMessage::ReplyMessage) << created.errorMessage().toStdString();
    QDBusMessage read =
        Call(server, "/ZEPH/VORTAN/Application", "ZEPH.VORTAN.Application", "ReadFile2");
    read << QStringLiteral("PLC1") << QString() << QString() << QString::fromStdString(local)
         << QStringLiteral("a.ini") << false;
    const QDBusMessage answer = bus.call(read, QDBus::Block, 60000);
    ASSERT_EQ(answer.type(), QDBusMessage::ReplyMessage) << answer.errorMessage().toStdString();
    EXPECT_EQ(answer.arguments().value(0).toInt(), 0);
    EXPECT_EQ(answer.arguments().value(1).toInt(), 2);
    EXPECT_EQ(
        bus.call(Call(server, "/ZEPH/VORTAN/Application", "ZEPH.VORTAN.Application", "Release"))
            .type(),
        QDBusMessage::ReplyMessage);
    bus = QDBusConnection(QString());
    QDBusConnection::disconnectFromBus(QStringLiteral("released-client"));
    QThread::msleep(200); // the release is served from the server's loop
    EXPECT_TRUE(sys::ProcessRunning(static_cast<unsigned>(released)));

    sys::KillBus();
    EXPECT_TRUE(sys::WaitProcessGone(pid, 10000));
    // A server whose bus went away ends with 1, having destroyed its window normally.
    EXPECT_EQ(sys::WaitProgram(released, 10000), 1);
    const std::string reports = ReadAll(errors);
    EXPECT_EQ(reports.find("Sanitizer"), std::string::npos) << reports;
    EXPECT_EQ(reports.find("runtime error"), std::string::npos) << reports;
    EXPECT_EQ(ReadAll(local + "/a.ini"), "kept");
    object.reset(); // its Release finds no bus; that is no failure of the test
}
