#include "EngineFixture.h"

#include "platform/com/UniqueBstr.h"
#include "platform/ui/IDialogService.h"
#include "platform/win/WinBase.h"

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using vortan::test::BarPosition;
using vortan::test::Caption;
using vortan::test::EngineRig;
using vortan::test::FakeFlashHandling;
using vortan::test::ShownTexts;
using vortan::test::Status;

namespace {

// A controller name as the automation layer hands it to DoFormat.
struct NameVariant {
    explicit NameVariant(const char* name) {
        value.vt = VT_BSTR;
        value.bstrVal = vortan::com::UniqueBstr::FromUtf8(name).Release();
    }
    ~NameVariant() { VariantClear(&value); }
    NameVariant(const NameVariant&) = delete;
    NameVariant& operator=(const NameVariant&) = delete;
    VARIANT value;
};

// Holds a named mutex in a child process until the end of the scope.
class MutexHolder final {
public:
    explicit MutexHolder(const char* name) {
        int ready[2];
        EXPECT_EQ(pipe(ready), 0);
        m_pid = fork();
        if (m_pid == 0) {
            close(ready[0]);
            CreateMutexA(nullptr, TRUE, name);
            const char ok = GetLastError() == ERROR_SUCCESS ? '1' : '0';
            (void)!write(ready[1], &ok, 1);
            for (;;)
                pause();
        }
        close(ready[1]);
        char ok = 0;
        EXPECT_EQ(read(ready[0], &ok, 1), 1);
        EXPECT_EQ(ok, '1');
        close(ready[0]);
    }
    ~MutexHolder() {
        kill(m_pid, SIGKILL); // as a crash: the lock must go with the process
        waitpid(m_pid, nullptr, 0);
    }
    MutexHolder(const MutexHolder&) = delete;
    MutexHolder& operator=(const MutexHolder&) = delete;

private:
    pid_t m_pid = -1;
};

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
    NameVariant name("board1");
    SHORT selector = 42;
    SHORT flag = 77;
    HRESULT hr = E_FAIL;
    std::vector<std::string> captions;
    const INT_PTR result = t.RunInDialog([&](HWND hwnd) {
        ShownTexts shown(hwnd);
        hr = t.dlg.DoFormat(&name.value, &selector, static_cast<LONG>(0xFFFF), &flag);
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
        NameVariant name("board1");
        SHORT selector = 0;
        SHORT flag = 77;
        HRESULT hr = E_FAIL;
        t.RunInDialog([&](HWND) { hr = t.dlg.DoFormat(&name.value, &selector, 0, &flag); });
        EXPECT_EQ(hr, c.expected);
        EXPECT_EQ(flag, c.flag);
    }
}

TEST(CVORTANDlg, SecondMutexHolderInAnotherProcessLeavesTheHandleEmpty) {
    EngineRig t;
    MutexHolder holder("KELMORANTQmt9");
    t.flash.script = {EngineRig::Item({{1, {9}}})};
    HANDLE seen = reinterpret_cast<HANDLE>(1);
    t.flash.afterEvent = [&](std::size_t, const FakeFlashHandling::Event&) {
        seen = g_hFlashMutex;
    };
    NameVariant name("board1");
    SHORT selector = 0;
    SHORT flag = 77;
    t.RunInDialog([&](HWND) { t.dlg.DoFormat(&name.value, &selector, 0, &flag); });
    EXPECT_EQ(seen, nullptr);
    EXPECT_EQ(flag, 1);
}

TEST(CVORTANDlg, CloseServerReleasesTheMutexAndTheConnection) {
    EngineRig t;
    t.flash.script = {EngineRig::Item({{1, {11}}})}; // the format never reports its end
    NameVariant name("board1");
    SHORT selector = 0;
    SHORT flag = 77;
    bool heldAfterCall = false;
    bool freeAfterClose = false;
    const INT_PTR result = t.RunInDialog([&](HWND) {
        t.dlg.DoFormat(&name.value, &selector, 0, &flag);
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
    NameVariant name("board1");
    SHORT selector = 0;
    SHORT flag = 77;
    HRESULT hr = E_FAIL;
    std::vector<int> steps;
    t.RunInDialog([&](HWND hwnd) {
        hr = t.dlg.DoFormat(&name.value, &selector, 0, &flag);
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
        {"printf conversions stay text", "[Texte]\n5045=%n%s%x %d\n5048=%n%s%s%p\n", "a.ini",
         "%n%s%x %d", "%na.ini%s%p"},
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
        t.flash.script = {EngineRig::Item({{4, {}}})};
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
        if (std::string_view(c.name).starts_with("printf")) {
            // Notification 4 leaves the caption; a remove run's 14 shows its format raw.
            EXPECT_EQ(caption, "");
        } else {
            EXPECT_EQ(caption, c.caption);
        }
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

TEST(CVORTANDlg, AMissingCaptionTextKeepsTheCaption) {
    EngineRig t;
    t.dlg.m_strProfileFile = t.dir.WriteFile("partial.ini", "[Texte]\n5077=Verbinde\n");
    CFileList list;
    list.AddFile(t.dir.WriteFile("a.ini", "12"), 0);
    t.flash.script = {EngineRig::Item({{4, {}}, {6, {1, 0}}})};
    SHORT flag = 77;
    std::string caption;
    t.RunInDialog([&](HWND hwnd) {
        t.dlg.DoWriteFiles("board1", &list, 0, &flag);
        caption = Caption(hwnd);
    });
    EXPECT_EQ(caption, "Verbinde");
}

TEST(CVORTANDlg, LookupTextReadsTheKeyOfTheNumber) {
    EngineRig t;
    t.dlg.m_strProfileFile =
        t.dir.WriteFile("k.ini", "[Other]\n5009=falsch\n[Texte]\n5009=richtig\n5010=\n");
    std::string text = "vorher";
    EXPECT_EQ(t.dlg.LookupText(-5009, text), TRUE);
    EXPECT_EQ(text, "richtig");
    text = "vorher";
    EXPECT_EQ(t.dlg.LookupText(-5010, text), FALSE); // empty counts as missing
    EXPECT_EQ(t.dlg.LookupText(-5011, text), FALSE);
    t.dlg.m_strProfileFile = t.dir / "missing.ini";
    EXPECT_EQ(t.dlg.LookupText(-5009, text), FALSE);
    EXPECT_EQ(text, "vorher");
}

class Link final : public IAutomationLink {
public:
    void DetachDialog() override { ++detached; }
    int detached = 0;
};

// Cancel is ignored unless a failure was reported; closing a window nobody drives ends it.
TEST(CVORTANDlg, CancelIsIgnoredUnlessAbortedAndCloseEndsAnUndrivenWindow) {
    EngineRig t;
    bool openAfterCancel = false;
    bool visibleAfterInit = false;
    bool disabled = false;
    const INT_PTR result = t.RunInDialog([&](HWND hwnd) {
        visibleAfterInit = IsWindowVisible(hwnd) != FALSE;
        disabled = IsWindowEnabled(hwnd) == FALSE;
        SendMessage(hwnd, WM_COMMAND, IDCANCEL, 0);
        openAfterCancel = IsWindowVisible(hwnd) != FALSE;
    });
    EXPECT_TRUE(visibleAfterInit);
    EXPECT_TRUE(disabled);
    EXPECT_TRUE(openAfterCancel);
    EXPECT_EQ(result, EngineRig::kLeftOpen);
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

// Answers every about box with its OK button, as a person would.
class AboutBoxes final : public vortan::ui::IDialogService {
public:
    AboutBoxes() : m_previous(vortan::ui::SetDialogService(this)) {}
    ~AboutBoxes() override { vortan::ui::SetDialogService(m_previous); }
    AboutBoxes(const AboutBoxes&) = delete;
    AboutBoxes& operator=(const AboutBoxes&) = delete;

    void OnModalDialogShown(HWND dialog, const vortan::win::DialogTemplate& t) override {
        shown.push_back(t.id);
        if (t.id == 100) {
            owners.push_back(GetParent(dialog));
            PostMessage(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        }
    }
    void OnModalDialogEnded(HWND, INT_PTR result) override { results.push_back(result); }

    std::vector<int> shown;
    std::vector<HWND> owners;
    std::vector<INT_PTR> results;

private:
    vortan::ui::IDialogService* m_previous;
};

TEST(CVORTANDlg, SystemMenuOffersTheAboutBox) {
    AboutBoxes boxes;
    EngineRig t;
    std::vector<vortan::win::MenuItem> menu;
    HWND dialog = nullptr;
    t.RunInDialog([&](HWND hwnd) {
        dialog = hwnd;
        if (const auto window = vortan::win::WindowTable::Instance().Find(hwnd))
            menu = window->SystemMenu();
        SendMessage(hwnd, WM_SYSCOMMAND, 16 | 0x3, 0); // low four bits do not count
        SendMessage(hwnd, WM_SYSCOMMAND, 32, 0);       // anything else: nothing
        EXPECT_EQ(SendMessage(hwnd, WM_QUERYDRAGICON, 0, 0),
                  reinterpret_cast<LRESULT>(LoadIcon(nullptr, MAKEINTRESOURCE(130))));
    });
    ASSERT_EQ(menu.size(), 2u);
    EXPECT_TRUE(menu[0].separator);
    EXPECT_EQ(menu[1].id, 16u);
    EXPECT_EQ(menu[1].text, "Inf&o über VORTAN...");
    EXPECT_EQ(boxes.shown, (std::vector<int>{102, 100}));
    EXPECT_EQ(boxes.owners, (std::vector<HWND>{dialog}));
    EXPECT_EQ(boxes.results.at(0), IDOK);
}

} // namespace
