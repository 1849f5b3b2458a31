#include "system/ServerTestEnv.h"
#include "system/SessionBus.h"

#include "vortan/AutomationClient.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVirtualObject>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

using vortan::client::CreateObject;
using vortan::client::DispatchObject;
namespace sys = vortan::systest;

namespace {

constexpr const char* kProgId = "ZEPH.VORTAN.Application.7";

// Holds the server's bus name and answers one creation as a server that has served its client
// does, then gives the name up: the bus starts a real server for the next attempt.
class TakenServer final : public QDBusVirtualObject {
public:
    TakenServer() : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, "taken")) {
        m_bus.registerVirtualObject(QStringLiteral("/ZEPH/VORTAN/ClassFactory"), this);
        m_bOwner = m_bus.registerService(QStringLiteral("ZEPH.VORTAN.Application._7"));
    }
    ~TakenServer() override { QDBusConnection::disconnectFromBus(QStringLiteral("taken")); }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& bus) override {
        ++requests;
        bus.send(message.createErrorReply(QStringLiteral("ZEPH.VORTAN.Error.SingleUse"),
                                          QStringLiteral("this server has served its client")));
        m_bus.unregisterService(QStringLiteral("ZEPH.VORTAN.Application._7"));
        return true;
    }
    QString introspect(const QString&) const override { return {}; }

    bool Owner() const { return m_bOwner; }
    std::string Name() const { return m_bus.baseService().toStdString(); }
    int requests = 0;

private:
    QDBusConnection m_bus;
    bool m_bOwner = false;
};

} // namespace

TEST(ClientLibrary, ClassStringsAreCheckedBeforeTheBusIsAsked) {
    struct Case {
        const char* name;
        HRESULT hr;
        const char* text;
    };
    for (const Case& c : std::vector<Case>{
             {"ZEPH..VORTAN", CO_E_CLASSSTRING, "is neither a ProgID nor a class id"},
             {"{0100003B-2409-43F1-8BAC-7D0643B6159F}", REGDB_E_CLASSNOTREG,
              "no server is known for the class {0100003B-2409-43F1-8BAC-7D0643B6159F}"},
         }) {
        std::unique_ptr<DispatchObject> object;
        std::string error;
        EXPECT_EQ(CreateObject(c.name, object, &error), c.hr) << c.name;
        EXPECT_NE(error.find(c.text), std::string::npos) << error;
        EXPECT_EQ(object, nullptr);
    }
}

TEST(ClientLibrary, CreationPassesOverAServerThatHasServedItsClient) {
    sys::PrepareDesktop("taken", "");
    TakenServer taken;
    ASSERT_TRUE(taken.Owner());
    std::unique_ptr<DispatchObject> object;
    std::string error;
    ASSERT_EQ(CreateObject(kProgId, object, &error), S_OK) << error;
    EXPECT_EQ(taken.requests, 1);
    EXPECT_NE(object->ServerName(), taken.Name());
    const unsigned pid = sys::ServerPid(object->ServerName());
    EXPECT_NE(pid, 0u);

    // A typed call that cannot reach its server says so and leaves the outputs alone.
    EXPECT_EQ(object->CloseServer(), S_OK);
    EXPECT_TRUE(sys::WaitProcessGone(pid, 10000));
    SHORT result = 77;
    EXPECT_EQ(object->WriteFile2("B", "", "", "x.ini", false, &result),
              vortan::client::RPC_E_DISCONNECTED);
    EXPECT_EQ(result, 77);
    EXPECT_FALSE(object->LastError().empty());
}

TEST(ClientLibrary, ProgressHandlerSeesTheRunUpToItsEnd) {
    ASSERT_EQ(sys::RunProgram(VORTAN_BOARD_TOOL, {"create", "PROGRESS", "--speed", "40000"}), 0);
    const std::string profile = sys::WriteProfile("progress.ini", "[P]\n5048=Schreibe %s\n");
    const std::string file = sys::Env().root + "/progress.bin";
    std::ofstream(file, std::ios::binary) << std::string(60000, 'p');
    sys::PrepareDesktop("progress", "");
    std::unique_ptr<DispatchObject> object;
    ASSERT_EQ(CreateObject(kProgId, object), S_OK);

    std::vector<vortan::client::Progress> seen;
    object->SetProgressHandler([&](const vortan::client::Progress& p) { seen.push_back(p); });
    SHORT result = 0;
    ASSERT_EQ(object->WriteFile2("PROGRESS", profile, "P", file, false, &result), S_OK);
    EXPECT_EQ(result, 1);

    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen.back().percent, 100);
    bool named = false;
    for (std::size_t i = 0; i < seen.size(); ++i) {
        named = named || seen[i].status == "Schreibe progress.bin";
        if (i > 0) {
            EXPECT_GE(seen[i].percent, seen[i - 1].percent) << i;
        }
    }
    EXPECT_TRUE(named);
}
