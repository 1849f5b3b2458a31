#include "system/ServerTestEnv.h"

#include "vortan/AutomationClient.h"

#include <gtest/gtest.h>

#include <memory>

namespace sys = vortan::systest;

TEST(ServerLifetime, LosingTheBusEndsTheServer) {
    sys::PrepareDesktop("bus-loss", "");
    std::unique_ptr<vortan::client::DispatchObject> object;
    std::string error;
    ASSERT_EQ(vortan::client::CreateObject("ZEPH.VORTAN.Application.7", object, &error), S_OK)
        << error;
    const unsigned pid = sys::ServerPid(object->ServerName());
    ASSERT_NE(pid, 0u);
    ASSERT_TRUE(sys::ProcessRunning(pid));
    sys::KillBus();
    EXPECT_TRUE(sys::WaitProcessGone(pid, 10000));
    object.reset(); // its Release finds no bus; that is no failure of the test
}
