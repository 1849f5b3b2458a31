// The controller layer over fake components: the event sinks that turn component events
// into window messages, and the two owners that create, subscribe and call the components.

#include <functional>
#include <limits>
#include <optional>
#include <stdexcept>
#include <vector>

#include <gtest/gtest.h>

#include "controller/ControllerEvents.h"
#include "controller/CtrlAccess.h"
#include "controller/FlashHandlingEvents.h"
#include "controller/FlashObserverAccess.h"
#include "controller/Notifications.h"
#include "platform/ui/MessageBox.h"
#include "support/ClassRegistration.h"
#include "support/FakeController.h"
#include "support/FakeFlashHandling.h"
#include "support/RecordingMessageBoxes.h"
#include "support/RecordingWindow.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "vortan/ContractIds.h"
#include "vortan/com/UniqueVariant.h"

using vortan::com::UniqueVariant;
using vortan::test::ClassRegistration;
using vortan::test::FakeController;
using vortan::test::FakeFlashHandling;
using vortan::test::RecordingMessageBoxes;
using vortan::test::RecordingWindow;

namespace {

class Target final : public vortan::controller::INotifyTarget {
public:
    explicit Target(HWND hwnd) : m_hwnd(hwnd) {}
    HWND NotifyWindow() const noexcept override { return m_hwnd; }

private:
    HWND m_hwnd;
};

constexpr auto I2 = &UniqueVariant::FromI2;
constexpr auto I4 = &UniqueVariant::FromI4;
constexpr auto Text = &UniqueVariant::FromUtf8;

// Arguments in rgvarg order (rgvarg[0] first), owned for the length of a call.
class Args final {
public:
    template <typename... V>
    explicit Args(V... values) {
        (m_values.push_back(std::move(values)), ...);
    }

    DISPPARAMS* Params() {
        m_raw.clear();
        for (auto& v : m_values)
            m_raw.push_back(v.Get());
        m_params.rgvarg = m_raw.empty() ? nullptr : m_raw.data();
        m_params.cArgs = static_cast<UINT>(m_raw.size());
        return &m_params;
    }

private:
    std::vector<UniqueVariant> m_values;
    std::vector<VARIANT> m_raw;
    DISPPARAMS m_params;
};

HRESULT Invoke(IDispatch& sink, DISPID dispid, DISPPARAMS* params, REFIID iid = IID_NULL) {
    return sink.Invoke(dispid, iid, 0, DISPATCH_METHOD, params, nullptr, nullptr, nullptr);
}

class SinkTest : public ::testing::Test {
protected:
    void TearDown() override { RecordingWindow::PumpPending(); }

    RecordingWindow window;
    Target target{window.Handle()};
};

TEST_F(SinkTest, InvokeRejectsUnknownInterfaceAndDispid) {
    CControllerEvents controller(&target);
    CFlashHandlingEvents flash(&target);
    EXPECT_EQ(Invoke(controller, 1, nullptr, vortan::IID_IController), MakeHResult(0x80020001));
    for (DISPID dispid : {0, 21, -1})
        EXPECT_EQ(Invoke(controller, dispid, nullptr), MakeHResult(0x80020003)) << dispid;
    for (DISPID dispid : {0, 18})
        EXPECT_EQ(Invoke(flash, dispid, nullptr), MakeHResult(0x80020003)) << dispid;
    RecordingWindow::PumpPending();
    EXPECT_TRUE(window.received.empty());
}

TEST_F(SinkTest, ControllerAnswersArePostedOtherEventsIgnored) {
    CControllerEvents sink(&target);
    const struct {
        DISPID dispid;
        UINT message;
    } cases[] = {{1, 2027}, {2, 2026}, {16, 2029}, {17, 2028}};
    for (const auto& c : cases) {
        window.received.clear();
        EXPECT_EQ(Invoke(sink, c.dispid, nullptr), S_OK);
        EXPECT_TRUE(window.received.empty()) << "handled before the loop ran: " << c.dispid;
        RecordingWindow::PumpPending();
        ASSERT_EQ(window.received.size(), 1u) << c.dispid;
        EXPECT_EQ(window.received[0].message, c.message);
    }
    Args args(I4(5));
    for (DISPID dispid : {3, 15, 18, 20})
        EXPECT_EQ(Invoke(sink, dispid, args.Params()), S_OK) << dispid;
    Target noWindow(nullptr);
    CControllerEvents withoutOwner(nullptr);
    CControllerEvents withoutWindow(&noWindow);
    EXPECT_EQ(Invoke(withoutOwner, 1, nullptr), S_OK);
    EXPECT_EQ(Invoke(withoutWindow, 2, nullptr), S_OK);
    MSG msg;
    EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE));
}

TEST_F(SinkTest, FlashEventsAreSentWithTheirArgumentsOrAnswered) {
    struct Case {
        const char* name;
        DISPID dispid;
        Args args;
        HRESULT expected;
        bool sent;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
    };
    constexpr LONG kMax = std::numeric_limits<LONG>::max();
    Case cases[] = {
        {"low 16 bits as stored", 1, Args(I4(0x12345)), S_OK, true, 0x2345},
        {"percentage", 3, Args(I2(9), I4(200), I4(50)), S_OK, true, 9, 25},
        {"product beyond 32 bits is exact", 3, Args(I2(0), I4(100000), I4(30000000)), S_OK, true, 0,
         30000},
        {"quotient beyond 32 bits saturates", 3, Args(I2(0), I4(1), I4(kMax)), S_OK, true, 0, kMax},
        {"read progress", 9, Args(I2(3), I4(42)), S_OK, true, 3, 42},
        {"progress without total", 3, Args(I2(0), I4(0), I4(50)), S_OK, false},
        {"format progress without done", 3, Args(I2(0), I4(200)), DISP_E_BADPARAMCOUNT, false},
        {"remove progress without arguments", 17, Args(), DISP_E_BADPARAMCOUNT, false},
        {"16-bit value from a text", 1, Args(Text("7")), DISP_E_TYPEMISMATCH, false},
        {"non-numeric total", 3, Args(I2(0), Text("many"), I4(1)), DISP_E_TYPEMISMATCH, false},
    };
    for (Case& c : cases) {
        CFlashHandlingEvents sink(&target);
        window.received.clear();
        EXPECT_EQ(Invoke(sink, c.dispid, c.args.Params()), c.expected) << c.name;
        // Sent: handled before Invoke returned, without a loop.
        ASSERT_EQ(window.received.size(), c.sent ? 1u : 0u) << c.name;
        if (!c.sent)
            continue;
        EXPECT_EQ(window.received[0].message, 1624u + static_cast<UINT>(c.dispid)) << c.name;
        EXPECT_EQ(window.received[0].wParam, c.wParam) << c.name;
        EXPECT_EQ(window.received[0].lParam, c.lParam) << c.name;
    }
    CFlashHandlingEvents sink(&target);
    EXPECT_EQ(Invoke(sink, 2, nullptr), DISP_E_BADPARAMCOUNT); // null DISPPARAMS: no arguments
    DISPPARAMS noArray;
    noArray.cArgs = 3; // a count without an array is not read
    EXPECT_EQ(Invoke(sink, 9, &noArray), DISP_E_BADPARAMCOUNT);
    EXPECT_TRUE(window.received.empty());
}

TEST_F(SinkTest, FlashWithoutOwnerOrWindowOrWithAThrowingWindow) {
    Target noWindow(nullptr);
    CFlashHandlingEvents withoutOwner(nullptr);
    CFlashHandlingEvents withoutWindow(&noWindow);
    Args args(I2(1), I4(200), I4(50));
    EXPECT_EQ(withoutOwner.OnEvent(3, args.Params()), S_FALSE);
    EXPECT_EQ(withoutWindow.OnEvent(3, args.Params()), S_OK);
    // The component sees S_OK either way: an event is never refused for a missing window.
    EXPECT_EQ(Invoke(withoutOwner, 3, args.Params()), S_OK);
    EXPECT_EQ(Invoke(withoutWindow, 3, args.Params()), S_OK);
    RecordingWindow::PumpPending();
    EXPECT_TRUE(window.received.empty());

    CFlashHandlingEvents sink(&target);
    window.onMessage = [](const RecordingWindow::Message& m) {
        if (m.message == 1629)
            throw std::runtime_error("boom");
    };
    EXPECT_EQ(Invoke(sink, 5, nullptr), DISP_E_EXCEPTION);
}

// A fake component registered as the only class of its kind, and the window it reports to.
template <typename Fake>
class AccessTest : public ::testing::Test {
public: // the table-driven cases arrange the fixture through lambdas
    void TearDown() override { RecordingWindow::PumpPending(); }

    vortan::test::TempDir dir;
    // Only the classes registered here exist: no user registry plays in.
    vortan::test::ScopedEnv classes{"VORTAN_CLASSES", dir / "classes.ini"};
    RecordingMessageBoxes boxes;
    RecordingWindow window;
    Fake fake;
    std::optional<ClassRegistration> registration;
};

class FlashObserverAccessTest : public AccessTest<FakeFlashHandling> {
public:
    FlashObserverAccessTest() {
        registration.emplace(vortan::CLSID_FlashHandling,
                             static_cast<vortan::IFlashHandling*>(&fake));
    }
};

class CtrlAccessTest : public AccessTest<FakeController> {
public:
    CtrlAccessTest() { Register(); }
    void Register() {
        registration.emplace(vortan::CLSID_ControllerAccess,
                             static_cast<vortan::IController*>(&fake));
    }

    // Expects _com_error with `hr` and IID_IController from `call`.
    static void ExpectRaised(const std::function<void()>& call, HRESULT hr, const char* what) {
        try {
            call();
            ADD_FAILURE() << what << ": nothing raised";
        } catch (const _com_error& error) {
            EXPECT_EQ(error.Error(), hr) << what;
            EXPECT_EQ(error.InterfaceId(), vortan::IID_IController) << what;
        }
    }
};

TEST_F(CtrlAccessTest, InitializeSubscribesAndTheEndGivesEverythingBack) {
    ULONG refsAtUnadvise = 0;
    fake.events.onUnadvise = [&] { refsAtUnadvise = fake.RefCount(); };
    {
        CCtrlAccess access;
        ASSERT_EQ(access.Initialize(window.Handle()), S_OK);
        EXPECT_TRUE(boxes.shown.empty());
        EXPECT_EQ(fake.events.SinkCount(), 1u);
    }
    // The component is released last: at Unadvise it, the container and the point were held.
    EXPECT_EQ(refsAtUnadvise, 3u);
    EXPECT_EQ(fake.events.SinkCount(), 0u);
    EXPECT_EQ(fake.RefCount(), 0u); // every reference given back
}

TEST_F(CtrlAccessTest, InitializeFailuresShowTheirBoxAndAnswer) {
    struct Case {
        const char* name;
        std::function<void(CtrlAccessTest&)> arrange;
        const char* text;
        const char* caption;
        HRESULT result;
    };
    const Case cases[] = {
        {"class not registered", [](CtrlAccessTest& t) { t.registration.reset(); },
         "Initialize Controller Objekt -> Fehlercode: 0x80040154", "Interner Fehler", E_FAIL},
        {"creation without the interface",
         [](CtrlAccessTest& t) { t.registration->factory.createResult = E_NOINTERFACE; },
         "IControllerPtr fails", "VORTAN", S_OK},
        {"no IController", [](CtrlAccessTest& t) { t.fake.offerController = false; },
         "IControllerPtr fails", "VORTAN", S_OK},
        {"no container", [](CtrlAccessTest& t) { t.fake.offerContainer = false; },
         "QueryInterface fails", "VORTAN", E_NOINTERFACE},
        {"no connection point",
         [](CtrlAccessTest& t) { t.fake.findConnectionPointResult = CONNECT_E_NOCONNECTION; },
         "FindConnectionPoint fails", "VORTAN", CONNECT_E_NOCONNECTION},
        {"advise refused",
         [](CtrlAccessTest& t) { t.fake.events.adviseResult = CONNECT_E_ADVISELIMIT; },
         "Advise fails", "VORTAN", CONNECT_E_ADVISELIMIT},
    };
    for (const Case& c : cases) {
        Register();
        fake.offerController = true;
        fake.offerContainer = true;
        fake.findConnectionPointResult = S_OK;
        fake.events.adviseResult = S_OK;
        boxes.shown.clear();
        c.arrange(*this);
        {
            CCtrlAccess access;
            EXPECT_EQ(access.Initialize(window.Handle()), c.result) << c.name;
            ASSERT_EQ(boxes.shown.size(), 1u) << c.name;
            EXPECT_EQ(boxes.shown[0].text, c.text) << c.name;
            EXPECT_EQ(boxes.shown[0].caption, c.caption) << c.name;
            EXPECT_EQ(boxes.shown[0].type, MB_OK) << c.name;
            EXPECT_EQ(boxes.shown[0].owner, nullptr) << c.name;
            EXPECT_EQ(fake.events.SinkCount(), 0u) << c.name;
        }
        EXPECT_EQ(fake.RefCount(), 0u) << c.name;
    }
}

TEST_F(CtrlAccessTest, WithoutAComponentEverythingFailsAndNothingIsTouched) {
    CCtrlAccess access;
    EXPECT_EQ(access.Connect("PLC", ""), E_FAIL);
    EXPECT_EQ(access.Disconnect(), E_FAIL);
    EXPECT_EQ(access.IsConnected(), FALSE);
    EXPECT_EQ(access.GetController(), nullptr);
    SHORT count = 99;
    EXPECT_EQ(access.GetFileCount(&count), E_FAIL);
    EXPECT_EQ(count, 0);
    vortan::ControllerErrorInfo info{-5, 6, 7, 8}; // sentinels show any write
    EXPECT_EQ(access.GetErrorInfo(&info), FALSE);
    EXPECT_EQ(info.lCode, -5);
    EXPECT_EQ(info.nValue3, 8);
    vortan::MemoryInfo memory;
    vortan::FileEntryInfo entry;
    ExpectRaised([&] { access.HasFileDirectory(&count); }, E_POINTER, "HasFileDirectory");
    ExpectRaised([&] { access.GetMemoryInfo(&memory); }, E_POINTER, "GetMemoryInfo");
    ExpectRaised([&] { access.GetFileEntry(0, &entry); }, E_POINTER, "GetFileEntry");
    EXPECT_TRUE(fake.calls.empty());
}

TEST_F(CtrlAccessTest, InitializingTwiceLeavesOneSinkAtTheNewWindow) {
    RecordingWindow second;
    CCtrlAccess access;
    ASSERT_EQ(access.Initialize(window.Handle()), S_OK);
    ASSERT_EQ(access.Initialize(second.Handle()), S_OK);
    EXPECT_EQ(fake.events.SinkCount(), 1u);
    fake.events.Fire(vortan::DISPID_CONTROLLER_DISCONNECTED);
    RecordingWindow::PumpPending();
    EXPECT_TRUE(window.received.empty());
    ASSERT_EQ(second.received.size(), 1u);
    EXPECT_EQ(second.received[0].message, vortan::controller::WM_CONTROLLER_DISCONNECTED);
}

TEST_F(CtrlAccessTest, ConnectChecksItsArgumentsAndPassesTheNameAsUtf16) {
    CCtrlAccess access;
    ASSERT_EQ(access.Initialize(window.Handle()), S_OK);
    EXPECT_EQ(access.Connect("PLC", nullptr), E_INVALIDARG);
    EXPECT_EQ(access.Connect(nullptr, ""), E_INVALIDARG);
    EXPECT_EQ(fake.CallCount("Connect"), 0);
    fake.connectResult = S_FALSE;
    EXPECT_EQ(access.Connect("Steuerung \xC3\xA4", ""), S_FALSE);
    EXPECT_EQ(fake.connectName, u"Steuerung \u00E4");
}

TEST_F(CtrlAccessTest, DisconnectOnlyClosesAnOpenConnection) {
    CCtrlAccess access;
    ASSERT_EQ(access.Initialize(window.Handle()), S_OK);
    fake.disconnectResult = S_FALSE;
    EXPECT_EQ(access.Disconnect(), S_OK); // a null connection name: nothing to close
    EXPECT_EQ(fake.CallCount("Disconnect"), 0);
    fake.connectionName = u"PLC";
    EXPECT_EQ(access.Disconnect(), S_FALSE);
    EXPECT_EQ(fake.CallCount("Disconnect"), 1);
}

TEST_F(CtrlAccessTest, GetFileCountAnswersForEachState) {
    CCtrlAccess access;
    SHORT count = 99;
    EXPECT_EQ(access.GetFileCount(nullptr), E_INVALIDARG);
    ASSERT_EQ(access.Initialize(window.Handle()), S_OK);
    fake.memoryInfo.nFileCount = 5;
    // Failures of the directory and memory queries are returned, not raised.
    const struct {
        VARIANT_BOOL connected, readable;
        HRESULT directory, memory, expected;
        SHORT count;
    } cases[] = {
        {VARIANT_FALSE, VARIANT_TRUE, S_OK, S_OK, E_FAIL, 0},
        {VARIANT_TRUE, VARIANT_FALSE, S_FALSE, S_OK, S_FALSE, 0},
        {VARIANT_TRUE, VARIANT_TRUE, S_OK, S_OK, S_OK, 5},
        {VARIANT_TRUE, VARIANT_TRUE, S_OK, E_ACCESSDENIED, E_ACCESSDENIED, 0},
        {VARIANT_TRUE, VARIANT_TRUE, E_UNEXPECTED, S_OK, E_UNEXPECTED, 0},
    };
    for (const auto& c : cases) {
        fake.connected = c.connected;
        fake.directoryReadable = c.readable;
        fake.hasFileDirectoryResult = c.directory;
        fake.getMemoryInfoResult = c.memory;
        count = 99;
        EXPECT_EQ(access.GetFileCount(&count), c.expected) << c.expected;
        EXPECT_EQ(count, c.count) << c.expected;
    }
}

TEST_F(FlashObserverAccessTest, EventsOfTheComponentAreSentToTheWindow) {
    ULONG refsAtUnadvise = 0;
    fake.events.onUnadvise = [&] { refsAtUnadvise = fake.RefCount(); };
    {
        CFlashObserverAccess observer(window.Handle());
        EXPECT_TRUE(boxes.shown.empty());
        EXPECT_EQ(fake.events.Fire(vortan::DISPID_FLASH_WRITE_END), S_OK);
        ASSERT_EQ(window.received.size(), 1u); // sent: handled within the event call
        EXPECT_EQ(window.received[0].message, 1624u + vortan::DISPID_FLASH_WRITE_END);
        EXPECT_EQ(fake.events.SinkCount(), 1u);
    }
    // The observer releases its component before it unsubscribes: at Unadvise only the
    // container and the connection point were still held.
    EXPECT_EQ(refsAtUnadvise, 2u);
    EXPECT_EQ(fake.events.SinkCount(), 0u);
    EXPECT_EQ(fake.RefCount(), 0u);
}

// The subscription steps themselves are shared with CCtrlAccess and checked there.
TEST_F(FlashObserverAccessTest, SubscriptionFailuresShowTheirBoxAndLeaveAnObserver) {
    const struct {
        bool offerFlashHandling;
        HRESULT adviseResult;
        const char* text;
        int unadvises; // Unadvise only once a connection point was obtained
    } cases[] = {{false, S_OK, "IControllerPtr fails", 0},
                 {true, CONNECT_E_CANNOTCONNECT, "Advise fails", 1}};
    for (const auto& c : cases) {
        fake.offerFlashHandling = c.offerFlashHandling;
        fake.events.adviseResult = c.adviseResult;
        fake.events.unadviseCalls = 0;
        boxes.shown.clear();
        {
            CFlashObserverAccess observer(window.Handle());
            ASSERT_EQ(boxes.shown.size(), 1u) << c.text;
            EXPECT_EQ(boxes.shown[0].text, c.text);
            EXPECT_EQ(boxes.shown[0].caption, "VORTAN");
            EXPECT_EQ(observer.Initialize(), S_OK); // no second attempt
            EXPECT_EQ(boxes.shown.size(), 1u) << c.text;
        }
        EXPECT_EQ(fake.events.unadviseCalls, c.unadvises) << c.text;
        EXPECT_EQ(fake.events.SinkCount(), 0u) << c.text;
        EXPECT_EQ(fake.RefCount(), 0u) << c.text;
    }
}

} // namespace
