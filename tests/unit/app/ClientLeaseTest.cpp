#include "app/ClientLease.h"

#include <chrono>
#include <optional>

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using vortan::app::ClientLease;

namespace {

// A lease on a hand-turned clock whose timer is a recorded delay the test fires itself.
struct LeaseRig {
    ClientLease::Clock::time_point now{};
    std::optional<std::chrono::milliseconds> armed;
    int releases = 0;
    ClientLease lease{5s,
                      {.release = [this] { ++releases; },
                       .arm = [this](std::chrono::milliseconds delay) { armed = delay; },
                       .disarm = [this] { armed.reset(); },
                       .now = [this] { return now; }}};

    // Moves the clock to the armed time and lets the timer fire.
    void RunTimer() {
        ASSERT_TRUE(armed.has_value());
        now += *armed;
        armed.reset();
        lease.GraceOver();
    }
};

} // namespace

TEST(ClientLease, AReleaseDuringACallWaitsUntilTheOutermostCallHasEnded) {
    LeaseRig t;
    EXPECT_TRUE(t.lease.NoteClient(":1.5"));
    t.lease.CallStarted();
    t.lease.CallStarted(); // a call served by the first one's nested loop
    t.lease.Release();
    t.lease.Release();
    EXPECT_EQ(t.releases, 0);
    t.lease.CallEnded();
    EXPECT_EQ(t.releases, 0);
    t.lease.CallEnded();
    EXPECT_EQ(t.releases, 1);
    EXPECT_TRUE(t.lease.Released());
    // A late client or a release after the end changes nothing.
    EXPECT_FALSE(t.lease.NoteClient(":1.6"));
    t.lease.Release();
    EXPECT_EQ(t.releases, 1);
}

TEST(ClientLease, ClientsLeavingReleaseOnceTheGraceSinceTheLastCallIsOver) {
    LeaseRig t;
    EXPECT_TRUE(t.lease.NoteClient(":1.5"));
    EXPECT_TRUE(t.lease.NoteClient(":1.6"));
    EXPECT_FALSE(t.lease.NoteClient(":1.5")); // already watched
    t.now += 2s;
    t.lease.ClientLeft(":1.5");
    EXPECT_FALSE(t.armed); // :1.6 is still there
    t.lease.ClientLeft(":1.6");
    EXPECT_EQ(t.armed, 3000ms); // what is left of the grace
    EXPECT_EQ(t.releases, 0);
    t.RunTimer();
    EXPECT_EQ(t.releases, 1);

    // A call that comes within the grace disarms it; the new grace runs from that call.
    LeaseRig u;
    u.lease.NoteClient(":1.5");
    u.lease.ClientLeft(":1.5");
    EXPECT_EQ(u.armed, 5000ms);
    u.now += 4s;
    u.lease.NoteClient(":1.7");
    EXPECT_FALSE(u.armed);
    u.now += 10s;
    u.lease.ClientLeft(":1.7"); // idle for longer than the grace: at once
    EXPECT_EQ(u.releases, 1);
}

TEST(ClientLease, AClientLeavingDuringACallReleasesAfterItNotBefore) {
    // The call outlasts the grace: the release waits for its end.
    LeaseRig t;
    t.lease.NoteClient(":1.5");
    t.lease.CallStarted();
    t.now += 20s;
    t.lease.ClientLeft(":1.5");
    EXPECT_EQ(t.releases, 0);
    t.lease.CallEnded();
    EXPECT_EQ(t.releases, 1);

    // The client leaves early in a long call: the grace counts from the call's end.
    LeaseRig u;
    u.lease.NoteClient(":1.5");
    u.lease.CallStarted();
    u.now += 1s;
    u.lease.ClientLeft(":1.5");
    EXPECT_EQ(u.armed, 4000ms);
    u.now += 30s;
    u.lease.CallEnded();
    u.armed.reset();
    u.lease.GraceOver(); // the timer set during the call fires
    EXPECT_EQ(u.releases, 0);
    EXPECT_EQ(u.armed, 5000ms);
    u.RunTimer();
    EXPECT_EQ(u.releases, 1);
}
