#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QThread>
#include <gtest/gtest.h>

#include "system/ServerTestEnv.h"
#include "vortan/AutomationClient.h"

using vortan::client::CallResult;
using vortan::client::CreateObject;
using vortan::client::DispatchObject;
using vortan::client::Value;
namespace sys = vortan::systest;

namespace {

constexpr const char* kProgId = "ZEPH.VORTAN.Application.7";

// Holds the server's bus name and answers one creation as a server that has served its client
// does, then gives the name up: the bus starts a real server for the next attempt. It answers
// from a thread of its own, as the client waits without serving this thread's events.
class TakenServer final : public QDBusVirtualObject {
public:
    TakenServer() : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, "taken")) {
        m_bus.registerVirtualObject(QStringLiteral("/ZEPH/VORTAN/ClassFactory"), this);
        m_bOwner = m_bus.registerService(QStringLiteral("ZEPH.VORTAN.Application._7"));
        moveToThread(&m_thread);
        m_thread.start();
    }
    ~TakenServer() override {
        m_thread.quit();
        m_thread.wait();
        QDBusConnection::disconnectFromBus(QStringLiteral("taken"));
    }

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
    std::atomic<int> requests = 0;

private:
    QThread m_thread;
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

TEST(AutomationDispatch, RefusesWrongCountsDispidsAndNamesSayingWhat) {
    sys::PrepareDesktop("dispatch", "");
    auto object = sys::Create();
    ASSERT_NE(object, nullptr);
    const unsigned pid = sys::ServerPid(object->ServerName());

    // The argument checks themselves are the frame's; here their codes and texts cross the bus.
    struct Case {
        DISPID dispid;
        std::vector<Value> args;
        HRESULT hr;
        const char* text;
    };
    const std::vector<Case> cases = {
        {7,
         {std::int32_t(1)},
         DISP_E_BADPARAMCOUNT,
         "0x8002000E: CloseServer takes 0 arguments, 1 given"},
        {13, {}, DISP_E_MEMBERNOTFOUND, "0x80020003: no method with DISPID 13"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const CallResult result = object->Invoke(c.dispid, c.args);
        EXPECT_EQ(result.hr, c.hr);
        EXPECT_NE(result.error.find(c.text), std::string::npos) << result.error;
    }

    std::vector<DISPID> dispids;
    EXPECT_EQ(object->GetIDsOfNames(std::vector<std::string>{"readfile", "CLOSESERVER"}, dispids),
              S_OK);
    EXPECT_EQ(dispids, (std::vector<DISPID>{1, 7}));
    EXPECT_EQ(object->GetIDsOfNames(std::vector<std::string>{"ReadFile", "Lesen"}, dispids),
              DISP_E_UNKNOWNNAME);
    EXPECT_NE(object->LastError().find("no method named \"Lesen\""), std::string::npos);

    // A named method with the wrong bus types is refused by its signature.
    const QDBusMessage wrong = QDBusConnection::sessionBus().call(
        sys::ObjectCall(object->ServerName(), "RemoveFiles") << QStringLiteral("c") << 5);
    EXPECT_EQ(wrong.errorName(), QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"));
    EXPECT_EQ(wrong.errorMessage(), QStringLiteral("RemoveFiles takes (ssss), not (si)"));
    EXPECT_EQ(object->CloseServer(), S_OK);
    EXPECT_TRUE(sys::WaitProcessGone(pid, 10000));
}
