#include <string>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>

#include "system/ServerTestEnv.h"
#include "system/SessionBus.h"
#include "vortan/AutomationClient.h"

namespace sys = vortan::systest;

namespace {

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

} // namespace

// The bus goes while three servers and a client are on it: a server serving an object, one
// whose client has left (its object waits for the grace period), and one waiting for a
// controller that never answers, called by vortanctl. Every one of them ends.
TEST(ServerLifetime, LosingTheBusEndsEveryServerAndClientCleanly) {
    sys::PrepareDesktop("bus-loss", "");
    auto object = sys::Create();
    ASSERT_NE(object, nullptr);
    const unsigned pid = sys::ServerPid(object->ServerName());
    ASSERT_NE(pid, 0u);
    ASSERT_TRUE(sys::ProcessRunning(pid));

    // Started by the test rather than the bus, so that their exit codes and sanitizer
    // reports can be seen. No answer script: the overwrite question is cancelled.
    const std::string local = sys::MakeDir("cancelled");
    sys::Put(local + "/a.ini", "kept");
    const std::string errors = sys::Env().root + "/left.stderr";
    const pid_t left = sys::SpawnProgram(sys::Env().program, {"--automation"}, errors);
    ASSERT_GT(left, 0);
    // A connection of its own, closed before the bus goes, as a client would have done.
    QDBusConnection bus = QDBusConnection::connectToBus(
        QString::fromStdString(sys::Env().busAddress), QStringLiteral("leaving-client"));
    const std::string server = WaitForServer(bus, left, 30000);
    ASSERT_FALSE(server.empty());
    const QDBusMessage created =
        bus.call(sys::FactoryCall(QString::fromStdString(server)), QDBus::Block, 60000);
    ASSERT_EQ(created.type(), QDBusMessage::ReplyMessage) << created.errorMessage().toStdString();
    QDBusMessage read = sys::ObjectCall(server, "ReadFile2");
    read << QStringLiteral("PLC1") << QString() << QString() << QString::fromStdString(local)
         << QStringLiteral("a.ini") << false;
    const QDBusMessage answer = bus.call(read, QDBus::Block, 60000);
    ASSERT_EQ(answer.type(), QDBusMessage::ReplyMessage) << answer.errorMessage().toStdString();
    EXPECT_EQ(answer.arguments().value(0).toInt(), 0);
    EXPECT_EQ(answer.arguments().value(1).toInt(), 2);
    bus = QDBusConnection(QString());
    QDBusConnection::disconnectFromBus(QStringLiteral("leaving-client"));

    // A board whose controller never answers a Connect: the server vortanctl gets from the bus
    // waits in the engine. Its transcript tells which process it is.
    sys::MakeSilentBoard("SILENT");
    const std::string profile = sys::WriteProfile("bus-loss.ini", "[Main]\n5077=Verbinden\n");
    const std::string transcript = sys::PrepareDesktop("waiting", "");
    const std::string ctlErrors = sys::Env().root + "/ctl.stderr";
    const pid_t ctl = sys::SpawnProgram(
        VORTAN_CTL_PATH,
        {"-q", "--profile", profile, "--section", "Main", "-c", "SILENT", "write", profile},
        ctlErrors);
    ASSERT_GT(ctl, 0);
    ASSERT_TRUE(sys::WaitForText(transcript, QStringLiteral("Verbinden"), 30000));
    const auto shown = sys::ReadTranscript(transcript);
    ASSERT_FALSE(shown.empty());
    const auto waiting =
        static_cast<unsigned>(shown.front().value(QStringLiteral("pid")).toInteger());
    ASSERT_TRUE(sys::ProcessRunning(waiting));

    sys::KillBus();
    EXPECT_TRUE(sys::WaitProcessGone(pid, 10000));
    // A server whose bus went away ends with 1, having destroyed its window normally.
    EXPECT_EQ(sys::WaitProgram(left, 10000), 1);
    const std::string reports = sys::Get(errors);
    EXPECT_EQ(reports.find("Sanitizer"), std::string::npos) << reports;
    EXPECT_EQ(reports.find("runtime error"), std::string::npos) << reports;
    EXPECT_EQ(sys::Get(local + "/a.ini"), "kept");
    EXPECT_TRUE(sys::WaitProcessGone(waiting, 10000));
    // The client says what happened instead of waiting for good: the bus closed, or (told
    // by a daemon that is ending) its server left.
    EXPECT_EQ(sys::WaitProgram(ctl, 10000), 1);
    const std::string said = sys::Get(ctlErrors);
    EXPECT_TRUE(said.find("Error.Disconnected") != std::string::npos ||
                said.find("left the bus without answering") != std::string::npos)
        << said;
    object.reset(); // its Release finds no bus; that is no failure of the test
}
