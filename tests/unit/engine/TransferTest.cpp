#include "EngineFixture.h"
#include "vortan/text/Utf.h"

using vortan::test::BarPosition;
using vortan::test::Caption;
using vortan::test::EngineRig;
using vortan::test::FakeFlashHandling;
using vortan::test::ShownTexts;
using vortan::test::Status;

namespace {

constexpr HRESULT kClassNotRegistered = static_cast<HRESULT>(0x80040154);

TEST(CVORTANDlg, RefusesNullArgumentsAndAnswersAnEmptyListAtOnce) {
    EngineRig t;
    CFileList empty;
    CFileList one;
    EngineRig::AddNames(one, {"a.ini"});
    struct Case {
        const char* name;
        const char* controllerName;
        CFileList* list;
        bool withResult;
        HRESULT expected;
        SHORT flag; // 77: untouched
    };
    const Case cases[] = {
        {"empty list", "board1", &empty, true, S_OK, 1},
        {"null list", "board1", nullptr, true, E_INVALIDARG, 77},
        {"null result", "board1", &one, false, E_INVALIDARG, 77},
        {"null name, empty list", nullptr, &empty, true, E_INVALIDARG, 77},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int mode = 1; mode <= 3; ++mode) {
            SHORT flag = 77;
            SHORT* pFlag = c.withResult ? &flag : nullptr;
            const HRESULT hr = mode == 1 ? t.dlg.DoReadFiles(c.controllerName, c.list, 0, pFlag)
                               : mode == 2
                                   ? t.dlg.DoWriteFiles(c.controllerName, c.list, 0, pFlag)
                                   : t.dlg.DoRemoveFiles(c.controllerName, c.list, 0, pFlag);
            EXPECT_EQ(hr, c.expected);
            EXPECT_EQ(flag, c.flag);
        }
    }
    // Outside the dialog's run no answer could reach the engine: refused, not waited for.
    SHORT outside = 77;
    EXPECT_EQ(t.dlg.DoWriteFiles("board1", &one, 0, &outside), E_FAIL);
    EXPECT_EQ(outside, 0);
    EXPECT_TRUE(t.controller.calls.empty()); // no connection was made
    EXPECT_EQ(t.controllerRegistration->factory.created, 0);
    EXPECT_EQ(t.flashRegistration->factory.created, 0);

    SHORT selector = 9;
    SHORT flag = 77;
    VARIANT name;
    EXPECT_EQ(t.dlg.DoFormat(nullptr, &selector, 0, &flag), E_INVALIDARG);
    EXPECT_EQ(t.dlg.DoFormat(&name, &selector, 0, &flag), E_INVALIDARG); // VT_EMPTY
    EXPECT_EQ(flag, 77);
    EXPECT_EQ(selector, 9);
}

TEST(CVORTANDlg, ControllerThatDoesNotConnectShowsItsTextAndFails) {
    EngineRig t;
    t.controller.connected = VARIANT_FALSE;
    t.controller.answerConnectWith = vortan::DISPID_CONTROLLER_CONNECT_FAILED;
    CFileList list;
    EngineRig::AddNames(list, {"a.ini"});
    HRESULT hr = E_FAIL;
    SHORT flag = 77;
    std::vector<std::string> statuses;
    std::string caption;
    LONG code = 0;
    SHORT values[3] = {};
    t.controller.errorInfo = {-7, 1, 2, 3};
    const INT_PTR result = t.RunInDialog([&](HWND hwnd) {
        ShownTexts shown(hwnd);
        hr = t.dlg.DoWriteFiles("board1", &list, 0, &flag);
        statuses = shown.statuses;
        caption = Caption(hwnd);
        EXPECT_EQ(t.dlg.GetLastErrorInfo(&code, &values[0], &values[1], &values[2]), S_OK);
    });
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(flag, 0);
    EXPECT_EQ(result, EngineRig::kLeftOpen); // the window stays for CloseServer
    EXPECT_EQ(caption, "Verbinde");
    EXPECT_EQ(statuses, (std::vector<std::string>{"Verbinde mit board1", "Nicht verbunden"}));
    EXPECT_EQ(t.controller.connectName, u"board1");
    EXPECT_TRUE(t.flash.calls.empty());
    EXPECT_EQ(code, -7);
    EXPECT_EQ(values[0], 1);
    EXPECT_EQ(values[2], 3);
}

TEST(CVORTANDlg, WriteRunHandsEachItemOverAndEndsTheDialogAfterTheLast) {
    EngineRig t;
    CFileList list;
    list.AddFile(t.dir.WriteFile("a.ini", "1234"), 0);
    list.AddFile(t.dir.WriteFile("b.ini", "123456"), 0);
    list.GetEntry(1)->m_strTargetName = "B.INI";
    t.flash.script = {
        EngineRig::Item({{4, {}}, {6, {2, 0}}, {5, {}}}),
        EngineRig::Item({{4, {}}, {6, {3, 0}}, {5, {}}}),
    };
    HRESULT hr = E_FAIL;
    SHORT flag = 77;
    std::vector<std::string> captions;
    std::vector<std::string> statuses;
    const INT_PTR result = t.RunInDialog([&](HWND hwnd) {
        ShownTexts shown(hwnd);
        hr = t.dlg.DoWriteFiles("board1", &list, static_cast<LONG>(0xFFFF), &flag);
        captions = shown.captions;
        statuses = shown.statuses;
    });
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(result, 1); // the last item's end report ended the dialog
    ASSERT_EQ(t.flash.calls.size(), 2u);
    EXPECT_EQ(t.flash.calls[0].method, "WriteToMemory");
    EXPECT_EQ(t.flash.calls[0].localPath, vortan::text::Utf8ToUtf16(t.dir / "a.ini"));
    EXPECT_EQ(t.flash.calls[0].memoryName, u"a.ini");
    EXPECT_EQ(t.flash.calls[1].memoryName, u"B.INI");
    EXPECT_EQ(t.flash.calls[1].option, VARIANT_TRUE);
    EXPECT_TRUE(t.flash.calls[1].hadController);
    // 10 bytes in all: 2 of the first item, then its 4 and 3 of the second.
    EXPECT_EQ(captions, (std::vector<std::string>{"Verbinde", "Schreibe 20%", "Schreibe 70%"}));
    EXPECT_EQ(statuses, (std::vector<std::string>{"Verbinde mit board1", "Verbunden",
                                                  "Schreibe a.ini", "Schreibe b.ini"}));
    EXPECT_EQ(t.controller.CallCount("Disconnect"), 1);
    EXPECT_EQ(t.dlg.GetLastErrorInfo(nullptr, nullptr, nullptr, nullptr), E_FAIL); // object gone
}

TEST(CVORTANDlg, FailedItemsAndComponentsEndTheRunWithFlagZero) {
    using Steps = std::vector<FakeFlashHandling::Step>;
    struct Case {
        const char* name;
        std::function<void(EngineRig&)> arrange;
        std::size_t calls;
        HRESULT expected;
        bool aborted; // the window then takes Cancel
        bool read = false;
    };
    const auto items = [](Steps steps) {
        return [steps](EngineRig& t) { t.flash.script = steps; };
    };
    const Case cases[] = {
        {"first item fails", items({EngineRig::Item({}, VARIANT_FALSE), EngineRig::Item({})}), 1,
         S_OK, false},
        {"only the last fails",
         items({EngineRig::Item({}), EngineRig::Item({}, VARIANT_FALSE, S_FALSE)}), 2, S_FALSE,
         false},
        {"a call fails, the outcome left true",
         items({EngineRig::Item({}, VARIANT_TRUE, E_FAIL), EngineRig::Item({})}), 1, S_OK, true},
        {"the component reports a failure",
         items({EngineRig::Item({{11, {}}}, VARIANT_FALSE), EngineRig::Item({})}), 1, S_OK, true},
        {"no IFlashHandling", [](EngineRig& t) { t.flash.offerFlashHandling = false; }, 0,
         E_NOINTERFACE, false},
        {"the observer cannot be created",
         [](EngineRig& t) { t.flashRegistration->factory.createResult = kClassNotRegistered; }, 0,
         kClassNotRegistered, false},
        {"IsConnected raises", [](EngineRig& t) { t.controller.isConnectedResult = E_UNEXPECTED; },
         0, E_UNEXPECTED, false},
        {"Connect raises", [](EngineRig& t) { t.controller.connectResult = E_ACCESSDENIED; }, 0,
         E_ACCESSDENIED, false},
        {"the memory's directory raises",
         [](EngineRig& t) { t.controller.getFileEntryResult = E_UNEXPECTED; }, 0, S_OK, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EngineRig t;
        t.controller.memoryInfo.nFileCount = 1;
        c.arrange(t);
        CFileList list;
        EngineRig::AddNames(list, {"a.ini", "b.ini"});
        HRESULT hr = E_FAIL;
        SHORT flag = 77;
        const INT_PTR result = t.RunInDialog([&](HWND hwnd) {
            hr = c.read ? t.dlg.DoReadFiles("board1", &list, 0, &flag)
                        : t.dlg.DoWriteFiles("board1", &list, 0, &flag);
            // Cancel ends the window only once a failure was seen.
            SendMessage(hwnd, WM_COMMAND, IDCANCEL, 0);
        });
        EXPECT_EQ(hr, c.expected);
        EXPECT_EQ(flag, 0);
        EXPECT_EQ(t.flash.calls.size(), c.calls);
        EXPECT_EQ(result, c.aborted ? IDCANCEL : EngineRig::kLeftOpen);
    }
}

TEST(CVORTANDlg, ReadTakesTheSizesFromTheMemorysDirectory) {
    EngineRig t;
    t.controller.entries = {{u"b.ini", 300}, {u"a.ini", 100}, {u"A.INI", 999}, {u"z.ini", 5}};
    t.controller.memoryInfo.nFileCount = 4;
    CFileList list;
    EngineRig::AddNames(list, {"a.ini", "a.ini", "x.ini", "b.ini"});
    for (int i = 0; i < 4; ++i)
        list.GetEntry(i)->m_strSize = "7";
    list.SetTargetDirectory(t.dir.Path());
    list.GetEntry(3)->m_strTargetName = "local-b.ini";
    // 400 bytes known; 200 done when the first item reports half of its 100.
    t.flash.script = {EngineRig::Item({{7, {}}, {9, {50, 0}}, {8, {}}}),
                      EngineRig::Item({{7, {}}, {9, {193, 0}}})};
    HRESULT hr = E_FAIL;
    SHORT flag = 77;
    std::vector<std::string> captions;
    t.flash.afterEvent = [&](std::size_t, const FakeFlashHandling::Event& event) {
        if (event.dispid == 9)
            captions.push_back(Caption(t.dlg.GetSafeHwnd()));
    };
    t.RunInDialog([&](HWND) { hr = t.dlg.DoReadFiles("board1", &list, 0, &flag); });
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(list.GetEntry(0)->m_strSize, "100");
    EXPECT_EQ(list.GetEntry(1)->m_strSize, "7"); // only the first of a name gets the size
    EXPECT_EQ(list.GetEntry(2)->m_strSize, "7"); // not in the memory
    EXPECT_EQ(list.GetEntry(3)->m_strSize, "300");
    // 50 of 400 bytes, then 100 + 193 of 400.
    EXPECT_EQ(captions, (std::vector<std::string>{"Lese 12%", "Lese 73%"}));
    ASSERT_EQ(t.flash.calls.size(), 4u);
    EXPECT_EQ(t.flash.calls[0].method, "ReadFromMemory");
    EXPECT_EQ(t.flash.calls[0].localPath, vortan::text::Utf8ToUtf16(t.dir / "a.ini"));
    EXPECT_EQ(t.flash.calls[3].localPath, vortan::text::Utf8ToUtf16(t.dir / "local-b.ini"));
    EXPECT_EQ(t.flash.calls[3].memoryName, u"b.ini");
}

TEST(CVORTANDlg, RemoveRunCountsFilesThroughTheirReports) {
    EngineRig t;
    CFileList list;
    EngineRig::AddNames(list, {"a.ini", "b.ini", "c.ini"});
    t.flash.script = {
        EngineRig::Item({{14, {}}, {17, {50, 100}}, {15, {}}}),
        EngineRig::Item({{15, {}}}),
        EngineRig::Item({{15, {}}}),
    };
    std::vector<std::string> captions;
    std::vector<std::string> statuses;
    HRESULT hr = E_FAIL;
    SHORT flag = 77;
    const INT_PTR result = t.RunInDialog([&](HWND hwnd) {
        ShownTexts shown(hwnd);
        hr = t.dlg.DoRemoveFiles("board1", &list, 0, &flag);
        captions = shown.captions;
        statuses = shown.statuses;
    });
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(result, 1); // the last file's report ended the dialog
    ASSERT_EQ(t.flash.calls.size(), 3u);
    EXPECT_EQ(t.flash.calls[2].method, "RemoveFromMemory");
    EXPECT_EQ(t.flash.calls[2].memoryName, u"c.ini");
    // 14 shows its caption format as it is; 17: half of the first of 3 files (16), then one
    // file per report.
    EXPECT_EQ(captions,
              (std::vector<std::string>{"Verbinde", "Entferne %d%%", "Entferne 16%", "Entferne 33%",
                                        "Entferne 66%", "Entferne 100%"}));
    EXPECT_EQ(statuses.back(), "Entfernt: c.ini");
    EXPECT_EQ(t.controller.CallCount("Disconnect"), 1);
}

TEST(CVORTANDlg, ProgressIsExactForLargeRuns) {
    EngineRig t;
    CFileList list;
    EngineRig::AddNames(list, {"a.bin", "b.bin"});
    list.GetEntry(0)->m_strSize = "40000000";
    list.GetEntry(1)->m_strSize = "60000000";
    std::vector<std::pair<std::string, int>> shown;
    t.flash.afterEvent = [&](std::size_t, const FakeFlashHandling::Event& event) {
        if (event.dispid == 6 || event.dispid == 17 || event.dispid == 3)
            shown.emplace_back(Caption(t.dlg.GetSafeHwnd()), BarPosition(t.dlg.GetSafeHwnd()));
    };
    t.flash.script = {
        EngineRig::Item({{4, {}}, {5, {}}}),
        EngineRig::Item({
            {6, {10000000, 0}},             // (40M + 10M) * 100 / 100M
            {17, {1000000000, 2000000000}}, // 1e9 * 100 / 2e9 / 100M + 40M * 100 / 100M
            {3, {250, 100, 1}},             // a percentage above 100 counts as 100
            {6, {80000000, 0}},             // beyond the total: the caption says so, the bar stops
        }),
    };
    SHORT flag = 77;
    t.RunInDialog([&](HWND) { t.dlg.DoWriteFiles("board1", &list, 0, &flag); });
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(shown, (std::vector<std::pair<std::string, int>>{{"Schreibe 50%", 50},
                                                               {"Schreibe 40%", 40},
                                                               {"Schreibe 100%", 100},
                                                               {"Schreibe 120%", 100}}));
}

TEST(CVORTANDlg, ProgressStaysSilentWithoutATotalOrItemSize) {
    EngineRig t;
    CFileList list;
    EngineRig::AddNames(list, {"a.ini"}); // missing file: no size, total 0
    t.flash.script = {EngineRig::Item({{4, {}}, {6, {5, 0}}, {17, {100, 0}}})};
    std::string caption;
    int position = -1;
    t.RunInDialog([&](HWND hwnd) {
        SHORT flag = 0;
        t.dlg.DoWriteFiles("board1", &list, 0, &flag);
        caption = Caption(hwnd);
        position = BarPosition(hwnd);
    });
    EXPECT_EQ(caption, "Verbinde");
    EXPECT_EQ(position, 0);

    EngineRig u;
    CFileList two;
    EngineRig::AddNames(two, {"a.ini", "b.ini"});
    u.flash.script = {EngineRig::Item({{14, {}}, {17, {5, 0}}})}; // an item of size 0
    u.RunInDialog([&](HWND hwnd) {
        SHORT flag = 0;
        u.dlg.DoRemoveFiles("board1", &two, 0, &flag);
        caption = Caption(hwnd);
    });
    EXPECT_EQ(caption, "Entferne %d%%");
}

// The program is ending (its bus went) while the run waits for the controller: the run ends
// as not connected, and the quit reaches the loops outside.
TEST(CVORTANDlg, QuitRequestDuringTheConnectionWaitEndsTheRunAndIsPostedAgain) {
    EngineRig t;
    t.controller.answerDelayMs = 20; // the answer would come after the quit request
    CFileList list;
    EngineRig::AddNames(list, {"a.ini"});
    t.flash.outcome = VARIANT_TRUE;
    SHORT flag = 77;
    HRESULT hr = E_FAIL;
    const INT_PTR result = t.RunInDialog([&](HWND) {
        PostQuitMessage(3);
        hr = t.dlg.DoWriteFiles("board1", &list, 0, &flag);
    });
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(flag, 0);
    EXPECT_TRUE(t.flash.calls.empty());
    EXPECT_EQ(result, EngineRig::kLeftOpen); // no end report came
    MSG msg{};
    ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)); // kept for the loops outside
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 3u);
}

} // namespace
