#include "controller/CtrlAccess.h"
#include "controller/FileEntry.h"
#include "controller/Notifications.h"
#include "platform/ui/MessageBox.h"
#include "support/ClassRegistration.h"
#include "support/FakeController.h"
#include "support/RecordingMessageBoxes.h"
#include "support/RecordingWindow.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "vortan/ContractIds.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

using vortan::test::ClassRegistration;
using vortan::test::FakeController;
using vortan::test::RecordingMessageBoxes;
using vortan::test::RecordingWindow;

namespace {

class CtrlAccessTest : public ::testing::Test {
public: // the table-driven cases arrange the fixture through lambdas
    CtrlAccessTest() {
        registration.emplace(vortan::CLSID_ControllerAccess,
                             static_cast<vortan::IController*>(&fake));
    }
    void TearDown() override { RecordingWindow::PumpPending(); }

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

    vortan::test::TempDir dir;
    // Only the classes registered here exist: no user registry plays in.
    vortan::test::ScopedEnv classes{"VORTAN_CLASSES", dir / "classes.ini"};
    RecordingMessageBoxes boxes;
    RecordingWindow window;
    FakeController fake;
    std::optional<ClassRegistration> registration;
};

TEST_F(CtrlAccessTest, InitializeSubscribesAndAnswersArriveAtTheWindow) {
    ULONG refsAtUnadvise = 0;
    fake.events.onUnadvise = [&] { refsAtUnadvise = fake.RefCount(); };
    {
        CCtrlAccess access;
        ASSERT_EQ(access.Initialize(window.Handle()), S_OK);
        EXPECT_TRUE(boxes.shown.empty());
        EXPECT_EQ(fake.events.SinkCount(), 1u);
        EXPECT_EQ(access.NotifyWindow(), window.Handle());

        fake.events.Fire(vortan::DISPID_CONTROLLER_CONNECTED);
        EXPECT_TRUE(window.received.empty()); // posted, not yet handled
        RecordingWindow::PumpPending();
        ASSERT_EQ(window.received.size(), 1u);
        EXPECT_EQ(window.received[0].message, vortan::controller::WM_CONTROLLER_CONNECTED);
    }
    // The component is released last: at Unadvise it, the container and the point were held.
    EXPECT_EQ(refsAtUnadvise, 3u);
    EXPECT_EQ(fake.events.unadviseCalls, 1);
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
        {"creation refused",
         [](CtrlAccessTest& t) { t.registration->factory.createResult = E_OUTOFMEMORY; },
         "Initialize Controller Objekt -> Fehlercode: 0x8007000E", "Interner Fehler", E_FAIL},
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
        registration.emplace(vortan::CLSID_ControllerAccess,
                             static_cast<vortan::IController*>(&fake));
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

TEST_F(CtrlAccessTest, InitializingTwiceLeavesOneAdviseAndOneSink) {
    RecordingWindow second;
    CCtrlAccess access;
    ASSERT_EQ(access.Initialize(window.Handle()), S_OK);
    ASSERT_EQ(access.Initialize(second.Handle()), S_OK);
    EXPECT_EQ(fake.events.adviseCalls, 2);
    EXPECT_EQ(fake.events.unadviseCalls, 1);
    EXPECT_EQ(fake.events.SinkCount(), 1u);
    EXPECT_EQ(registration->factory.created, 2);

    fake.events.Fire(vortan::DISPID_CONTROLLER_DISCONNECTED);
    RecordingWindow::PumpPending();
    EXPECT_TRUE(window.received.empty());
    ASSERT_EQ(second.received.size(), 1u);
    EXPECT_EQ(second.received[0].message, vortan::controller::WM_CONTROLLER_DISCONNECTED);
}

TEST_F(CtrlAccessTest, ConnectChecksItsComponentAndArguments) {
    CCtrlAccess access;
    EXPECT_EQ(access.Connect("PLC", ""), E_FAIL);
    ASSERT_EQ(access.Initialize(window.Handle()), S_OK);
    EXPECT_EQ(access.Connect("PLC", nullptr), E_INVALIDARG);
    EXPECT_EQ(access.Connect(nullptr, ""), E_INVALIDARG);
    EXPECT_EQ(fake.CallCount("Connect"), 0);

    fake.connectResult = S_FALSE;
    EXPECT_EQ(access.Connect("Steuerung \xC3\xA4", ""), S_FALSE);
    EXPECT_EQ(fake.connectName, u"Steuerung \u00E4");
    EXPECT_EQ(fake.connectOptions, u"");
    EXPECT_FALSE(fake.connectOptionsWasNull);
}

TEST_F(CtrlAccessTest, DisconnectOnlyClosesAnOpenConnection) {
    CCtrlAccess access;
    EXPECT_EQ(access.Disconnect(), E_FAIL);
    ASSERT_EQ(access.Initialize(window.Handle()), S_OK);
    const struct {
        std::optional<std::u16string> name;
        HRESULT expected;
        int disconnects;
    } cases[] = {{std::nullopt, S_OK, 0}, {u"", S_OK, 0}, {u"PLC", S_FALSE, 1}};
    fake.disconnectResult = S_FALSE;
    for (const auto& c : cases) {
        fake.calls.clear();
        fake.connectionName = c.name;
        EXPECT_EQ(access.Disconnect(), c.expected);
        EXPECT_EQ(fake.CallCount("GetConnectionName"), 1);
        EXPECT_EQ(fake.CallCount("Disconnect"), c.disconnects);
    }
}

TEST_F(CtrlAccessTest, GetFileCountAnswersForEachState) {
    CCtrlAccess access;
    SHORT count = 99;
    EXPECT_EQ(access.GetFileCount(&count), E_FAIL); // no component
    EXPECT_EQ(count, 0);
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
        fake.calls.clear();
        fake.connected = c.connected;
        fake.directoryReadable = c.readable;
        fake.hasFileDirectoryResult = c.directory;
        fake.getMemoryInfoResult = c.memory;
        count = 99;
        EXPECT_EQ(access.GetFileCount(&count), c.expected) << c.expected;
        EXPECT_EQ(count, c.count) << c.expected;
        EXPECT_EQ(fake.CallCount("GetMemoryInfo") > 0,
                  c.connected && c.readable && SUCCEEDED(c.directory))
            << c.expected;
    }
    EXPECT_EQ(fake.updateInfoWhat, 256);
}

TEST_F(CtrlAccessTest, GetFileEntryHandsTheNameToTheCaller) {
    CCtrlAccess access;
    ASSERT_EQ(access.Initialize(window.Handle()), S_OK);
    fake.entries = {{u"a.cfg", 10}, {u"\u00FCber.ini", 300}};
    vortan::controller::FileEntry entry;
    EXPECT_EQ(access.GetFileEntry(0, entry.Out()), E_FAIL); // not connected
    fake.connected = VARIANT_TRUE;
    EXPECT_EQ(access.GetFileEntry(1, entry.Out()), 0);
    EXPECT_EQ(entry.NameUtf8(), "\xC3\xBC"
                                "ber.ini");
    EXPECT_EQ(entry.Size(), 300);
    EXPECT_EQ(access.GetFileEntry(0, entry.Out()), 0); // frees the previous name
    EXPECT_EQ(entry.NameUtf8(), "a.cfg");
    EXPECT_EQ(access.GetFileEntry(2, entry.Out()), -1);
    EXPECT_EQ(entry.Name(), nullptr);
    EXPECT_EQ(access.GetFileEntry(0, nullptr), E_INVALIDARG);
}

TEST_F(CtrlAccessTest, GetErrorInfoRelaysTheRecord) {
    CCtrlAccess access;
    // Without a component the record is left untouched: sentinels show any write.
    vortan::ControllerErrorInfo info{-5, 6, 7, 8};
    EXPECT_EQ(access.GetErrorInfo(&info), FALSE);
    EXPECT_EQ(info.lCode, -5);
    EXPECT_EQ(info.nValue3, 8);
    EXPECT_EQ(fake.CallCount("GetErrorInfo"), 0);

    ASSERT_EQ(access.Initialize(window.Handle()), S_OK);
    fake.errorInfo = vortan::ControllerErrorInfo{-17, 1, -2, 3};
    EXPECT_EQ(access.GetErrorInfo(&info), TRUE);
    EXPECT_EQ(info.lCode, -17);
    EXPECT_EQ(info.nValue1, 1);
    EXPECT_EQ(info.nValue2, -2);
    EXPECT_EQ(info.nValue3, 3);
    fake.getErrorInfoResult = E_FAIL; // ignored
    EXPECT_EQ(access.GetErrorInfo(&info), TRUE);
}

TEST_F(CtrlAccessTest, FailedComponentCallsAreRaised) {
    CCtrlAccess empty;
    vortan::MemoryInfo memory;
    vortan::FileEntryInfo entry;
    SHORT flag = 0;
    ExpectRaised([&] { empty.HasFileDirectory(&flag); }, E_POINTER, "empty HasFileDirectory");
    ExpectRaised([&] { empty.GetMemoryInfo(&memory); }, E_POINTER, "empty GetMemoryInfo");
    ExpectRaised([&] { empty.GetFileEntry(0, &entry); }, E_POINTER, "empty GetFileEntry");
    EXPECT_EQ(empty.IsConnected(), FALSE);

    const HRESULT failure = MakeHResult(0x80041234);
    const struct {
        const char* name;
        HRESULT FakeController::*result;
        std::function<void(CCtrlAccess&)> call;
    } cases[] = {
        {"Connect", &FakeController::connectResult, [](CCtrlAccess& a) { a.Connect("x", ""); }},
        {"GetConnectionName", &FakeController::getConnectionNameResult,
         [](CCtrlAccess& a) { a.Disconnect(); }},
        {"Disconnect", &FakeController::disconnectResult, [](CCtrlAccess& a) { a.Disconnect(); }},
        {"IsConnected", &FakeController::isConnectedResult,
         [](CCtrlAccess& a) { a.IsConnected(); }},
        {"IsConnected in HasFileDirectory", &FakeController::isConnectedResult,
         [](CCtrlAccess& a) {
             SHORT f = 0;
             a.HasFileDirectory(&f);
         }},
        {"UpdateInfo", &FakeController::updateInfoResult,
         [](CCtrlAccess& a) {
             vortan::MemoryInfo m;
             a.GetMemoryInfo(&m);
         }},
        {"GetFileEntry", &FakeController::getFileEntryResult,
         [](CCtrlAccess& a) {
             vortan::controller::FileEntry e;
             a.GetFileEntry(0, e.Out());
         }},
    };
    fake.connected = VARIANT_TRUE;
    fake.connectionName = u"PLC";
    for (const auto& c : cases) {
        CCtrlAccess access;
        ASSERT_EQ(access.Initialize(window.Handle()), S_OK);
        fake.*c.result = failure;
        ExpectRaised([&] { c.call(access); }, failure, c.name);
        fake.*c.result = S_OK;
    }

    // The directory and memory answers are returned, not raised.
    CCtrlAccess access;
    ASSERT_EQ(access.Initialize(window.Handle()), S_OK);
    fake.hasFileDirectoryResult = failure;
    fake.getMemoryInfoResult = failure;
    EXPECT_EQ(access.HasFileDirectory(&flag), failure);
    EXPECT_EQ(access.GetMemoryInfo(&memory), failure);
}

TEST_F(CtrlAccessTest, GetControllerHandsOutACountedReference) {
    CCtrlAccess access;
    EXPECT_EQ(access.GetController(), nullptr);
    ASSERT_EQ(access.Initialize(window.Handle()), S_OK);
    const ULONG held = fake.RefCount();
    {
        const auto controller = access.GetController();
        EXPECT_EQ(controller.Get(), static_cast<vortan::IController*>(&fake));
        EXPECT_EQ(fake.RefCount(), held + 1);
    }
    EXPECT_EQ(fake.RefCount(), held);
    access.Uninitialize();
    EXPECT_EQ(fake.RefCount(), 0u);
    EXPECT_EQ(access.GetController(), nullptr);
    EXPECT_EQ(access.Connect("PLC", ""), E_FAIL);
}

} // namespace
