#include "EngineFixture.h"
#include "platform/win/WinBase.h"
#include "vortan/com/UniqueVariant.h"

using vortan::com::UniqueVariant;
using vortan::test::BarPosition;
using vortan::test::Caption;
using vortan::test::EngineRig;
using vortan::test::FakeFlashHandling;
using vortan::test::ShownTexts;
using vortan::test::Status;

namespace {

TEST(CVORTANDlg, FormatHoldsTheNamedMutexAndEndsTheDialog) {
    EngineRig t;
    t.flash.script = {EngineRig::Item({{1, {7}}, {3, {30, 60, 7}}, {2, {7}}})};
    bool heldDuringFormat = false;
    HANDLE seen = nullptr;
    t.flash.afterEvent = [&](std::size_t, const FakeFlashHandling::Event& event) {
        if (event.dispid == 1) {
            seen = g_hFlashMutex;
            // Another program sees the format by the mutex's name.
            HANDLE probe = CreateMutexA(nullptr, FALSE, "KELMORANTQmt7");
            heldDuringFormat = GetLastError() == ERROR_ALREADY_EXISTS;
            CloseHandle(probe);
        }
    };
    UniqueVariant name = UniqueVariant::FromUtf8("board1");
    SHORT selector = 42;
    SHORT flag = 77;
    HRESULT hr = E_FAIL;
    std::vector<std::string> captions;
    const INT_PTR result = t.RunInDialog([&](HWND hwnd) {
        ShownTexts shown(hwnd);
        hr = t.dlg.DoFormat(&name.Get(), &selector, static_cast<LONG>(0xFFFF), &flag);
        captions = shown.captions;
        EXPECT_EQ(Status(hwnd), "Formatiere Speicher");
    });
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(selector, 1);
    EXPECT_EQ(t.flash.selectors, (std::vector<SHORT>{1}));
    EXPECT_EQ(t.flash.calls.at(0).option, VARIANT_TRUE);
    EXPECT_EQ(result, 1);
    EXPECT_NE(seen, nullptr);
    EXPECT_TRUE(heldDuringFormat);
    EXPECT_EQ(g_hFlashMutex, nullptr); // closed by the end report
    EXPECT_EQ(captions, (std::vector<std::string>{"Verbinde", "Formatiere 50%"}));
    EXPECT_EQ(t.controller.CallCount("Disconnect"), 1);
}

TEST(CVORTANDlg, FormatOutcomesAndFailures) {
    struct Case {
        const char* name;
        FakeFlashHandling::Step step;
        HRESULT expected;
        SHORT flag;
    };
    const Case cases[] = {
        {"true but not VARIANT_TRUE", EngineRig::Item({}, 1), S_OK, 0},
        {"reported failure", EngineRig::Item({}, VARIANT_FALSE, S_FALSE), S_FALSE, 0},
        {"the call fails", EngineRig::Item({}, VARIANT_TRUE, E_FAIL), S_OK, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EngineRig t;
        t.flash.script = {c.step};
        UniqueVariant name = UniqueVariant::FromUtf8("board1");
        SHORT selector = 0;
        SHORT flag = 77;
        HRESULT hr = E_FAIL;
        t.RunInDialog([&](HWND) { hr = t.dlg.DoFormat(&name.Get(), &selector, 0, &flag); });
        EXPECT_EQ(hr, c.expected);
        EXPECT_EQ(flag, c.flag);
    }
}

TEST(CVORTANDlg, AMutexHeldElsewhereLeavesTheHandleEmpty) {
    EngineRig t;
    HANDLE holder = CreateMutexA(nullptr, TRUE, "KELMORANTQmt9");
    t.flash.script = {EngineRig::Item({{1, {9}}})};
    HANDLE seen = reinterpret_cast<HANDLE>(1);
    t.flash.afterEvent = [&](std::size_t, const FakeFlashHandling::Event&) {
        seen = g_hFlashMutex;
    };
    UniqueVariant name = UniqueVariant::FromUtf8("board1");
    SHORT selector = 0;
    SHORT flag = 77;
    t.RunInDialog([&](HWND) { t.dlg.DoFormat(&name.Get(), &selector, 0, &flag); });
    CloseHandle(holder);
    EXPECT_EQ(seen, nullptr);
    EXPECT_EQ(flag, 1);
}

TEST(CVORTANDlg, CloseServerReleasesTheMutexAndTheConnection) {
    EngineRig t;
    t.flash.script = {EngineRig::Item({{1, {11}}})}; // the format never reports its end
    UniqueVariant name = UniqueVariant::FromUtf8("board1");
    SHORT selector = 0;
    SHORT flag = 77;
    bool heldAfterCall = false;
    bool freeAfterClose = false;
    const INT_PTR result = t.RunInDialog([&](HWND) {
        t.dlg.DoFormat(&name.Get(), &selector, 0, &flag);
        heldAfterCall = g_hFlashMutex != nullptr;
        EXPECT_EQ(t.dlg.CloseServer(), 1);
        HANDLE probe = CreateMutexA(nullptr, TRUE, "KELMORANTQmt11");
        freeAfterClose = GetLastError() == ERROR_SUCCESS;
        CloseHandle(probe);
    });
    EXPECT_TRUE(heldAfterCall);
    EXPECT_TRUE(freeAfterClose);
    EXPECT_EQ(g_hFlashMutex, nullptr);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(t.controller.CallCount("Disconnect"), 1);
    EXPECT_EQ(t.dlg.GetLastErrorInfo(nullptr, nullptr, nullptr, nullptr), E_FAIL);
}

TEST(CVORTANDlg, BusyAnimationStepsAndOutlivesAFailedConnection) {
    EngineRig t;
    t.controller.connected = VARIANT_FALSE;
    t.controller.answerConnectWith = vortan::DISPID_CONTROLLER_DISCONNECTED;
    UniqueVariant name = UniqueVariant::FromUtf8("board1");
    SHORT selector = 0;
    SHORT flag = 77;
    HRESULT hr = E_FAIL;
    std::vector<int> steps;
    t.RunInDialog([&](HWND hwnd) {
        hr = t.dlg.DoFormat(&name.Get(), &selector, 0, &flag);
        // The call is over; the animation goes on from the loop.
        MSG msg;
        while (steps.size() < 11 && GetMessage(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessage(&msg);
            if (msg.message == WM_TIMER && msg.hwnd == hwnd)
                steps.push_back(BarPosition(hwnd));
        }
    });
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(flag, 0);
    EXPECT_EQ(steps, (std::vector<int>{0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 0}));
    EXPECT_TRUE(t.flash.calls.empty());
}

TEST(CVORTANDlg, TextsComeFromTheProfileAndAreNeverFormats) {
    struct Case {
        const char* name;
        const char* profile;
        const char* fileName;
        std::string caption;
        std::string status;
    };
    const Case cases[] = {
        {"no texts at all", "", "a.ini", "", "Status"},
        {"a missing caption text keeps the caption", "[Texte]\n5077=Verbinde\n", "a.ini",
         "Verbinde", "Status"},
        {"printf conversions stay text", "[Texte]\n5045=%n%s%x %d\n5048=%n%s%s%p\n", "a.ini",
         "%n%s%x 50", "%na.ini%s%p"},
        {"cut on a character boundary", "[Texte]\n5048=ÄÄ%s\n", "ÖÖÖÖ", "",
         "ÄÄ" + std::string(252, 'x') + "Ö"},
        {"section and keys without regard to case", "[TEXTE]\n5048 = Schreibe \"%s\"\n", "a.ini",
         "", "Schreibe \"a.ini\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EngineRig t;
        t.dlg.m_strProfileFile = t.dir.WriteFile("plain.ini", c.profile);
        CFileList list;
        std::string fileName = c.fileName;
        if (std::string_view(c.name).starts_with("cut"))
            fileName = std::string(252, 'x') + fileName; // 4 + 252 + 2 bytes fit, not 4 more
        EngineRig::AddNames(list, {fileName.c_str()});
        list.GetEntry(0)->m_strSize = "2";
        t.flash.script = {EngineRig::Item({{4, {}}, {6, {1, 0}}})};
        std::string caption;
        std::string status;
        SHORT flag = 77;
        t.RunInDialog([&](HWND hwnd) {
            t.dlg.DoWriteFiles("board1", &list, 0, &flag);
            caption = Caption(hwnd);
            status = Status(hwnd);
        });
        EXPECT_EQ(flag, 1); // a run works the same without any texts
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(status.size() <= 259, true);
        EXPECT_EQ(caption, c.caption);
    }
}

TEST(CVORTANDlg, RetryAfterAFailedRunCountsAfreshInAShownWindow) {
    EngineRig t;
    CFileList list;
    for (const char* name : {"a.ini", "b.ini", "c.ini", "d.ini"})
        list.AddFile(t.dir.WriteFile(name, "1"), 0);
    const auto done = EngineRig::Item({{4, {}}, {6, {1, 0}}, {5, {}}});
    // The first run fails at its second item (which hides the window); the retry writes all.
    t.flash.script = {done, EngineRig::Item({{11, {}}}, VARIANT_FALSE), done, done, done, done};
    std::vector<std::string> shown;
    t.flash.afterEvent = [&](std::size_t, const FakeFlashHandling::Event& event) {
        const HWND hwnd = t.dlg.GetSafeHwnd();
        if (event.dispid == 6 && t.flash.calls.size() > 2)
            shown.push_back(Caption(hwnd) + (IsWindowVisible(hwnd) ? "" : " hidden"));
    };
    SHORT flag = 77;
    t.RunInDialog([&](HWND) {
        t.dlg.DoWriteFiles("board1", &list, 0, &flag);
        t.dlg.DoWriteFiles("board1", &list, 0, &flag);
    });
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(shown, (std::vector<std::string>{"Schreibe 25%", "Schreibe 50%", "Schreibe 75%",
                                               "Schreibe 100%"}));
}

class Link final : public IAutomationLink {
public:
    void DetachDialog() override { ++detached; }
    int detached = 0;
};

// Closing a window nobody drives ends it; a driven one only hides. Cancel before a failure:
// see the failed runs.
TEST(CVORTANDlg, CloseEndsAnUndrivenWindowAndHidesADrivenOne) {
    EngineRig closed;
    EXPECT_EQ(closed.RunInDialog([](HWND hwnd) { SendMessage(hwnd, WM_CLOSE, 0, 0); }), IDCANCEL);

    Link link;
    {
        EngineRig u;
        u.dlg.m_pAutoProxy = &link;
        bool visible = true;
        const INT_PTR driven = u.RunInDialog([&](HWND hwnd) {
            SendMessage(hwnd, WM_CLOSE, 0, 0);
            SendMessage(hwnd, WM_COMMAND, IDOK, 0);
            visible = IsWindowVisible(hwnd) != FALSE;
        });
        EXPECT_FALSE(visible); // hidden, not ended
        EXPECT_EQ(driven, EngineRig::kLeftOpen);
        EXPECT_EQ(u.dlg.CloseServer(), 1);
    }
    EXPECT_EQ(link.detached, 1); // the dialog went first and told its automation object

    EngineRig w;
    const INT_PTR ok = w.RunInDialog([&](HWND hwnd) { SendMessage(hwnd, WM_COMMAND, IDOK, 0); });
    EXPECT_EQ(ok, IDOK);
}

} // namespace
