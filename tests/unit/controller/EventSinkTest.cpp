#include "controller/ControllerEvents.h"
#include "controller/FlashHandlingEvents.h"
#include "controller/Notifications.h"
#include "platform/com/UniqueVariant.h"
#include "support/RecordingWindow.h"
#include "vortan/ContractIds.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <limits>
#include <stdexcept>
#include <vector>

using vortan::com::UniqueVariant;
using vortan::test::RecordingWindow;

namespace {

class Target final : public vortan::controller::INotifyTarget {
public:
    explicit Target(HWND hwnd) : m_hwnd(hwnd) {}
    HWND NotifyWindow() const noexcept override { return m_hwnd; }

private:
    HWND m_hwnd;
};

struct Arg {
    VARTYPE vt = VT_EMPTY;
    LONG number = 0;
    const char* text = nullptr;
};
Arg I2(SHORT v) {
    return Arg{VT_I2, v, nullptr};
}
Arg I4(LONG v) {
    return Arg{VT_I4, v, nullptr};
}
Arg Text(const char* v) {
    return Arg{VT_BSTR, 0, v};
}

// Arguments in rgvarg order (rgvarg[0] first), owned for the length of a call.
class Args final {
public:
    Args(std::initializer_list<Arg> args = {}) {
        for (const Arg& a : args)
            m_values.push_back(a.vt == VT_I2   ? UniqueVariant::FromI2(static_cast<SHORT>(a.number))
                               : a.vt == VT_I4 ? UniqueVariant::FromI4(a.number)
                                               : UniqueVariant::FromUtf8(a.text));
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

using ControllerEventsTest = SinkTest;
using FlashHandlingEventsTest = SinkTest;

TEST_F(SinkTest, InvokeRejectsUnknownInterfaceAndDispid) {
    CControllerEvents controller(&target);
    CFlashHandlingEvents flash(&target);
    const IID someIid = vortan::IID_IController;
    EXPECT_EQ(Invoke(controller, 1, nullptr, someIid), MakeHResult(0x80020001));
    EXPECT_EQ(Invoke(flash, 4, nullptr, someIid), MakeHResult(0x80020001));
    for (DISPID dispid : {0, 21, -1})
        EXPECT_EQ(Invoke(controller, dispid, nullptr), MakeHResult(0x80020003)) << dispid;
    for (DISPID dispid : {0, 18, -1})
        EXPECT_EQ(Invoke(flash, dispid, nullptr), MakeHResult(0x80020003)) << dispid;
    RecordingWindow::PumpPending();
    EXPECT_TRUE(window.received.empty());
}

TEST_F(SinkTest, QueryInterfaceAnswersOwnInterfacesOnly) {
    CControllerEvents controller(&target);
    CFlashHandlingEvents flash(&target);
    struct Case {
        IDispatch* sink;
        IID iid;
        bool offered;
    };
    const Case cases[] = {
        {&controller, IID_IUnknown, true},
        {&controller, IID_IDispatch, true},
        {&controller, vortan::DIID_IControllerEvents, true},
        {&controller, vortan::DIID_IFlashHandlingEvents, false},
        {&flash, vortan::DIID_IFlashHandlingEvents, true},
        {&flash, vortan::DIID_IControllerEvents, false},
    };
    for (const Case& c : cases) {
        void* object = &controller; // must be overwritten
        const ULONG before = c.sink->AddRef() - 1;
        c.sink->Release();
        const HRESULT hr = c.sink->QueryInterface(c.iid, &object);
        if (c.offered) {
            EXPECT_EQ(hr, S_OK);
            EXPECT_EQ(object, static_cast<void*>(c.sink));
            EXPECT_EQ(c.sink->Release(), before);
        } else {
            EXPECT_EQ(hr, E_NOINTERFACE);
            EXPECT_EQ(object, nullptr);
        }
    }
    EXPECT_EQ(controller.QueryInterface(IID_IUnknown, nullptr), E_POINTER);
}

TEST_F(SinkTest, ReleaseToZeroKeepsTheSinkAlive) {
    CFlashHandlingEvents flash(&target);
    EXPECT_EQ(flash.AddRef(), 1u);
    EXPECT_EQ(flash.AddRef(), 2u);
    EXPECT_EQ(flash.Release(), 1u);
    EXPECT_EQ(flash.Release(), 0u);
    EXPECT_EQ(flash.Release(), 0u); // a stray Release does not wrap around
    EXPECT_EQ(flash.AddRef(), 1u);
    EXPECT_EQ(Invoke(flash, vortan::DISPID_FLASH_WRITE_END, nullptr), S_OK);
    ASSERT_EQ(window.received.size(), 1u);
}

TEST_F(ControllerEventsTest, AnswerEventsArePostedNotHandledAtOnce) {
    CControllerEvents sink(&target);
    const struct {
        DISPID dispid;
        UINT message;
    } cases[] = {{1, 2027}, {2, 2026}, {16, 2029}, {17, 2028}};
    for (const auto& c : cases) {
        window.received.clear();
        EXPECT_EQ(Invoke(sink, c.dispid, nullptr), S_OK);
        EXPECT_TRUE(window.received.empty()) << "handled before the loop ran: " << c.dispid;
        MSG msg;
        ASSERT_NE(GetMessage(&msg, nullptr, 0, 0), 0);
        DispatchMessage(&msg);
        ASSERT_EQ(window.received.size(), 1u) << c.dispid;
        EXPECT_EQ(window.received[0].message, c.message);
        EXPECT_EQ(window.received[0].wParam, 0u);
        EXPECT_EQ(window.received[0].lParam, 0);
    }
}

TEST_F(ControllerEventsTest, OtherEventsAreAcceptedAndIgnored) {
    CControllerEvents sink(&target);
    Args args{I4(5)};
    for (DISPID dispid = 3; dispid <= 20; ++dispid) {
        if (dispid == 16 || dispid == 17)
            continue;
        EXPECT_EQ(Invoke(sink, dispid, args.Params()), S_OK) << dispid;
    }
    MSG msg;
    EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE));
}

TEST_F(ControllerEventsTest, NoOwnerOrNoWindowPostsNothing) {
    Target noWindow(nullptr);
    CControllerEvents withoutOwner(nullptr);
    CControllerEvents withoutWindow(&noWindow);
    EXPECT_EQ(Invoke(withoutOwner, 1, nullptr), S_OK);
    EXPECT_EQ(Invoke(withoutWindow, 2, nullptr), S_OK);
    MSG msg;
    EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE));
}

TEST_F(FlashHandlingEventsTest, EventsAreSentWithTheirArguments) {
    struct Case {
        const char* name;
        DISPID dispid;
        Args args;
        WPARAM wParam;
        LPARAM lParam;
    };
    Case cases[] = {
        {"16-bit value", 1, Args{I2(7)}, 7, 0},
        {"low 16 bits as stored", 1, Args{I4(0x12345)}, 0x2345, 0},
        {"negative 16-bit value zero-extended", 2, Args{I2(-1)}, 0xFFFF, 0},
        {"quarter", 3, Args{I2(9), I4(200), I4(50)}, 9, 25},
        {"not capped at 100", 3, Args{I2(0), I4(200), I4(250)}, 0, 125},
        {"truncated toward zero", 3, Args{I2(0), I4(3), I4(-1)}, 0, -33},
        {"product beyond 32 bits is exact", 3, Args{I2(0), I4(100000), I4(30000000)}, 0, 30000},
        {"quotient beyond 32 bits saturates", 3,
         Args{I2(0), I4(1), I4(std::numeric_limits<LONG>::max())}, 0,
         std::numeric_limits<LONG>::max()},
        {"numeric texts convert", 3, Args{I2(1), Text("200"), Text("100")}, 1, 50},
        {"write progress", 6, Args{Text("42"), I4(9)}, 42, 9},
        {"read progress", 9, Args{I2(3), Text(" 42 ")}, 3, 42},
        {"remove progress", 17, Args{Text("42"), I2(-7)}, 42, -7},
        {"negative value widens with its sign", 17, Args{I4(-2), I4(0)},
         static_cast<WPARAM>(static_cast<INT_PTR>(-2)), 0},
        {"no arguments needed", 4, Args{}, 0, 0},
        {"arguments ignored", 15, Args{I4(3), I4(4)}, 0, 0},
    };
    for (Case& c : cases) {
        CFlashHandlingEvents sink(&target);
        window.received.clear();
        EXPECT_EQ(Invoke(sink, c.dispid, c.args.Params()), S_OK) << c.name;
        // Sent: handled before Invoke returned, without a loop.
        ASSERT_EQ(window.received.size(), 1u) << c.name;
        EXPECT_EQ(window.received[0].message, 1624u + static_cast<UINT>(c.dispid)) << c.name;
        EXPECT_EQ(window.received[0].wParam, c.wParam) << c.name;
        EXPECT_EQ(window.received[0].lParam, c.lParam) << c.name;
    }
}

TEST_F(FlashHandlingEventsTest, EveryEventBecomesItsNotification) {
    CFlashHandlingEvents sink(&target);
    Args args{I2(1), I4(1), I4(1)};
    for (DISPID dispid = 1; dispid <= 17; ++dispid)
        EXPECT_EQ(Invoke(sink, dispid, args.Params()), S_OK) << dispid;
    ASSERT_EQ(window.received.size(), 17u);
    for (UINT i = 0; i < 17; ++i)
        EXPECT_EQ(window.received[i].message, vortan::controller::WM_FLASH_FIRST + i);
    EXPECT_EQ(window.received.back().message, vortan::controller::WM_FLASH_LAST);
}

TEST_F(FlashHandlingEventsTest, ProgressWithoutTotalSendsNothing) {
    CFlashHandlingEvents sink(&target);
    EXPECT_EQ(Invoke(sink, 3, Args{I2(0), I4(0), I4(50)}.Params()), S_OK);
    EXPECT_EQ(Invoke(sink, 3, Args{I2(0), I4(-5), I4(50)}.Params()), S_OK);
    EXPECT_TRUE(window.received.empty());
}

TEST_F(FlashHandlingEventsTest, BadArgumentsAreAnsweredAndNothingIsSent) {
    struct Case {
        const char* name;
        DISPID dispid;
        Args args;
        HRESULT expected;
    };
    Case cases[] = {
        {"format begin without value", 1, Args{}, DISP_E_BADPARAMCOUNT},
        {"format progress without done", 3, Args{I2(0), I4(200)}, DISP_E_BADPARAMCOUNT},
        {"write progress with one argument", 6, Args{I4(1)}, DISP_E_BADPARAMCOUNT},
        {"remove progress without arguments", 17, Args{}, DISP_E_BADPARAMCOUNT},
        {"16-bit value from a text", 1, Args{Text("7")}, DISP_E_TYPEMISMATCH},
        {"non-numeric total", 3, Args{I2(0), Text("many"), I4(1)}, DISP_E_TYPEMISMATCH},
        {"non-numeric done", 3, Args{I2(0), I4(1), Text("4x2")}, DISP_E_TYPEMISMATCH},
        {"non-numeric value", 9, Args{Text("abc"), I4(1)}, DISP_E_TYPEMISMATCH},
        {"out of range", 17, Args{I4(1), Text("99999999999")}, DISP_E_TYPEMISMATCH},
    };
    for (Case& c : cases) {
        CFlashHandlingEvents sink(&target);
        EXPECT_EQ(Invoke(sink, c.dispid, c.args.Params()), c.expected) << c.name;
    }
    CFlashHandlingEvents sink(&target);
    EXPECT_EQ(Invoke(sink, 2, nullptr), DISP_E_BADPARAMCOUNT); // null DISPPARAMS: no arguments
    DISPPARAMS noArray;
    noArray.cArgs = 3; // a count without an array is not read
    EXPECT_EQ(Invoke(sink, 9, &noArray), DISP_E_BADPARAMCOUNT);
    EXPECT_TRUE(window.received.empty());
}

TEST_F(FlashHandlingEventsTest, NoOwnerAnswersFalseNoWindowAnswersOk) {
    Target noWindow(nullptr);
    CFlashHandlingEvents withoutOwner(nullptr);
    CFlashHandlingEvents withoutWindow(&noWindow);
    Args args{I2(1), I4(200), I4(50)};
    EXPECT_EQ(withoutOwner.OnEvent(3, args.Params()), S_FALSE);
    EXPECT_EQ(withoutWindow.OnEvent(3, args.Params()), S_OK);
    // The component sees S_OK either way: an event is never refused for a missing window.
    EXPECT_EQ(Invoke(withoutOwner, 3, args.Params()), S_OK);
    EXPECT_EQ(Invoke(withoutWindow, 3, args.Params()), S_OK);
    RecordingWindow::PumpPending();
    EXPECT_TRUE(window.received.empty());
}

TEST_F(FlashHandlingEventsTest, AThrowingWindowDoesNotUnwindIntoTheComponent) {
    CFlashHandlingEvents sink(&target);
    window.onMessage = [](const RecordingWindow::Message& m) {
        if (m.message == 1629)
            throw std::runtime_error("boom");
    };
    EXPECT_EQ(Invoke(sink, 5, nullptr), DISP_E_EXCEPTION);
}

} // namespace
