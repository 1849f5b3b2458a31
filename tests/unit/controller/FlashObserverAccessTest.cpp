#include "controller/FlashObserverAccess.h"
#include "controller/Notifications.h"
#include "platform/com/UniqueVariant.h"
#include "platform/ui/MessageBox.h"
#include "support/ClassRegistration.h"
#include "support/FakeFlashHandling.h"
#include "support/RecordingMessageBoxes.h"
#include "support/RecordingWindow.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "vortan/ContractIds.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

using vortan::test::ClassRegistration;
using vortan::test::FakeFlashHandling;
using vortan::test::RecordingMessageBoxes;
using vortan::test::RecordingWindow;

namespace {

class FlashObserverAccessTest : public ::testing::Test {
public: // the table-driven cases arrange the fixture through lambdas
    FlashObserverAccessTest() { Register(); }
    void Register() {
        registration.emplace(vortan::CLSID_FlashHandling,
                             static_cast<vortan::IFlashHandling*>(&fake));
    }

    vortan::test::TempDir dir;
    // Only the classes registered here exist: no user registry plays in.
    vortan::test::ScopedEnv classes{"VORTAN_CLASSES", dir / "classes.ini"};
    RecordingMessageBoxes boxes;
    RecordingWindow window;
    FakeFlashHandling fake;
    std::optional<ClassRegistration> registration;
};

TEST_F(FlashObserverAccessTest, EventsOfTheComponentAreSentToTheWindow) {
    ULONG refsAtUnadvise = 0;
    fake.events.onUnadvise = [&] { refsAtUnadvise = fake.RefCount(); };
    {
        CFlashObserverAccess observer(window.Handle());
        EXPECT_TRUE(boxes.shown.empty());
        EXPECT_EQ(fake.events.SinkCount(), 1u);

        EXPECT_EQ(fake.events.Fire(vortan::DISPID_FLASH_WRITE_END), S_OK);
        ASSERT_EQ(window.received.size(), 1u); // sent: handled within the event call
        EXPECT_EQ(window.received[0].message, 1624u + vortan::DISPID_FLASH_WRITE_END);

        EXPECT_EQ(observer.Initialize(), S_OK); // subscribes once only
        EXPECT_EQ(fake.events.adviseCalls, 1);
        EXPECT_EQ(registration->factory.created, 1);
    }
    // The observer releases its component before it unsubscribes: at Unadvise only the
    // container and the connection point were still held.
    EXPECT_EQ(refsAtUnadvise, 2u);
    EXPECT_EQ(fake.events.unadviseCalls, 1);
    EXPECT_EQ(fake.events.SinkCount(), 0u);
    EXPECT_EQ(fake.RefCount(), 0u);
}

TEST_F(FlashObserverAccessTest, SubscriptionFailuresShowTheirBoxAndLeaveAnObserver) {
    struct Case {
        const char* name;
        std::function<void(FlashObserverAccessTest&)> arrange;
        const char* text;
        int unadvises; // Unadvise only once a connection point was obtained
    };
    const Case cases[] = {
        {"creation without the interface",
         [](FlashObserverAccessTest& t) { t.registration->factory.createResult = E_NOINTERFACE; },
         "IControllerPtr fails", 0},
        {"no IFlashHandling", [](FlashObserverAccessTest& t) { t.fake.offerFlashHandling = false; },
         "IControllerPtr fails", 0},
        {"no container", [](FlashObserverAccessTest& t) { t.fake.offerContainer = false; },
         "QueryInterface fails", 0},
        {"no connection point",
         [](FlashObserverAccessTest& t) { t.fake.findConnectionPointResult = E_UNEXPECTED; },
         "FindConnectionPoint fails", 0},
        {"advise refused",
         [](FlashObserverAccessTest& t) { t.fake.events.adviseResult = CONNECT_E_CANNOTCONNECT; },
         "Advise fails", 1},
    };
    for (const Case& c : cases) {
        Register();
        fake.offerFlashHandling = true;
        fake.offerContainer = true;
        fake.findConnectionPointResult = S_OK;
        fake.events.adviseResult = S_OK;
        fake.events.unadviseCalls = 0;
        boxes.shown.clear();
        c.arrange(*this);
        {
            CFlashObserverAccess observer(window.Handle());
            ASSERT_EQ(boxes.shown.size(), 1u) << c.name;
            EXPECT_EQ(boxes.shown[0].text, c.text) << c.name;
            EXPECT_EQ(boxes.shown[0].caption, "VORTAN") << c.name;
            EXPECT_EQ(boxes.shown[0].type, MB_OK) << c.name;
            EXPECT_EQ(observer.Initialize(), S_OK) << c.name; // no second attempt
            EXPECT_EQ(boxes.shown.size(), 1u) << c.name;
        }
        EXPECT_EQ(fake.events.unadviseCalls, c.unadvises) << c.name;
        EXPECT_EQ(fake.events.SinkCount(), 0u) << c.name;
        EXPECT_EQ(fake.RefCount(), 0u) << c.name;
    }
}

TEST_F(FlashObserverAccessTest, CreationFailureReachesTheCreator) {
    const struct {
        const char* name;
        bool registered;
        HRESULT createResult;
    } cases[] = {{"refused", true, E_OUTOFMEMORY}, {"not registered", false, REGDB_E_CLASSNOTREG}};
    for (const auto& c : cases) {
        registration.reset();
        if (c.registered) {
            Register();
            registration->factory.createResult = c.createResult;
        }
        try {
            CFlashObserverAccess observer(window.Handle());
            ADD_FAILURE() << c.name << ": the observer was created";
        } catch (const _com_error& error) {
            EXPECT_EQ(error.Error(), c.createResult) << c.name;
            EXPECT_EQ(error.InterfaceId(), vortan::IID_IFlashHandling) << c.name;
        }
        EXPECT_TRUE(boxes.shown.empty()) << c.name;
    }
    EXPECT_EQ(fake.RefCount(), 0u);
}

TEST_F(FlashObserverAccessTest, UninitializeKeepsTheComponent) {
    CFlashObserverAccess observer(window.Handle());
    const ULONG withSubscription = fake.RefCount();
    EXPECT_EQ(observer.Uninitialize(), S_OK);
    EXPECT_EQ(fake.events.SinkCount(), 0u);
    EXPECT_GE(fake.RefCount(), 1u); // the observer's own instance is still held
    EXPECT_LT(fake.RefCount(), withSubscription);
    fake.events.Fire(vortan::DISPID_FLASH_WRITE_BEGIN);
    EXPECT_TRUE(window.received.empty());
}

} // namespace
