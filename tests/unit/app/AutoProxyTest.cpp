#include <deque>
#include <filesystem>

#include "app/VORTANDlgAutoProxy.h"
#include "platform/ui/IDialogService.h"
#include "platform/ui/MessageBox.h"
#include "unit/engine/EngineFixture.h"
#include "vortan/com/UniqueBstr.h"
#include "vortan/text/Utf.h"

using vortan::test::EngineRig;
using vortan::test::FakeFlashHandling;
using vortan::test::RecordingWindow;

namespace {

constexpr int kQuit = -1;

// Answers the overwrite questions in order (Cancel when none is left) and notes which file
// each one asked about; other dialogs (the progress window) are left alone.
class OverwriteAnswers final : public vortan::ui::IDialogService {
public:
    explicit OverwriteAnswers(std::deque<int> answers)
        : m_answers(std::move(answers)), m_previous(vortan::ui::SetDialogService(this)) {}
    ~OverwriteAnswers() override { vortan::ui::SetDialogService(m_previous); }
    OverwriteAnswers(const OverwriteAnswers&) = delete;
    OverwriteAnswers& operator=(const OverwriteAnswers&) = delete;

    void OnModalDialogShown(HWND dialog, const vortan::win::DialogTemplate& t) override {
        if (t.id != 133)
            return;
        asked.push_back(vortan::win::GetWindowTextString(GetDlgItem(dialog, 1011)));
        const int answer = m_answers.empty() ? IDCANCEL : m_answers.front();
        if (!m_answers.empty())
            m_answers.pop_front();
        if (answer == kQuit)
            PostQuitMessage(0); // as when the bus goes: the question's loop ends with -1
        else
            PostMessage(GetDlgItem(dialog, answer), BM_CLICK, 0, 0);
    }
    void OnModalDialogEnded(HWND, INT_PTR) override {}

    std::vector<std::string> asked;

private:
    std::deque<int> m_answers;
    vortan::ui::IDialogService* m_previous;
};

std::vector<std::string> Operations(const FakeFlashHandling& flash) {
    std::vector<std::string> names;
    for (const auto& call : flash.calls)
        names.push_back(call.method + " " + vortan::text::Utf16ToUtf8(call.memoryName));
    return names;
}

} // namespace

TEST(CVORTANDlgAutoProxy, WithoutDialogTransfersFailAndTheRestDoNothing) {
    CVORTANDlgAutoProxy proxy(nullptr);
    SHORT flag = 9;
    SHORT selector = 9;
    EXPECT_EQ(proxy.ReadFile("c", "p", "s", "/tmp", "a.ini", &flag), E_FAIL);
    EXPECT_EQ(flag, 9);
    EXPECT_EQ(proxy.ReadFile2("c", "p", "s", "/tmp", "a.ini", VARIANT_TRUE, &flag), E_FAIL);
    EXPECT_EQ(proxy.RemoveFiles("c", "p", "s", "a.ini", &flag), E_FAIL);
    EXPECT_EQ(proxy.RemoveFiles2("c", "p", "s", "a.ini", 0, &flag), E_FAIL);
    EXPECT_EQ(proxy.Format(&selector, "c", "p", "s", &flag), E_FAIL);
    EXPECT_EQ(proxy.Format2(&selector, "c", "p", "s", 0, &flag), E_FAIL);
    EXPECT_EQ(selector, 9);
    EXPECT_EQ(proxy.WriteFile("c", "p", "s", "x", "/tmp/a.ini", &flag), E_FAIL);
    EXPECT_EQ(flag, 0); // the write clears it before it looks at the dialog
    LONG code = 4;
    SHORT v1 = 5, v2 = 6, v3 = 7;
    EXPECT_EQ(proxy.GetLastErrorCode(&code, &v1, &v2, &v3), S_OK);
    EXPECT_EQ(code, 4);
    EXPECT_EQ(v3, 7);
    EXPECT_EQ(proxy.CloseServer(), S_OK);
}

TEST(CVORTANDlgAutoProxy, ReadAsksAboutExistingFilesAndActsOnTheAnswers) {
    struct Case {
        const char* what;
        std::deque<int> answers;
        std::vector<std::string> asked;
        SHORT flag;
        std::vector<std::string> reads;
    };
    const std::vector<Case> cases = {
        {"cancel at the second file reads nothing", {IDCANCEL}, {"b.ini"}, 2, {}},
        {"Nein: the replacement selection counts as cancelled", {IDNO}, {"b.ini"}, 2, {}},
        {"a quit while asked reads nothing", {kQuit}, {"b.ini"}, 2, {}},
        {"Ja at every question reads all",
         {IDOK, IDOK},
         {"b.ini", "c.ini"},
         0,
         {"ReadFromMemory a.ini", "ReadFromMemory b.ini", "ReadFromMemory c.ini"}},
        {"Alle Überschreiben asks no more",
         {1014},
         {"b.ini"},
         0,
         {"ReadFromMemory a.ini", "ReadFromMemory b.ini", "ReadFromMemory c.ini"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EngineRig t;
        const std::string local = t.dir.MakeDir("local");
        t.dir.WriteFile("local/b.ini", "old");
        // A link counts as an existing file, even a dangling one.
        std::filesystem::create_symlink(local + "/nowhere", local + "/c.ini");
        OverwriteAnswers desktop(c.answers);
        CVORTANDlgAutoProxy proxy(&t.dlg);
        SHORT flag = 77;
        LONG hr = E_UNEXPECTED;
        t.RunInDialog([&](HWND) {
            hr = proxy.ReadFile2("board1", "texts.ini", "Texte", local.c_str(), "a.ini;b.ini;c.ini",
                                 VARIANT_TRUE, &flag);
        });
        EXPECT_EQ(hr, S_OK);
        EXPECT_EQ(desktop.asked, c.asked);
        EXPECT_EQ(Operations(t.flash), c.reads);
        if (c.reads.empty()) {
            EXPECT_EQ(flag, c.flag);
            EXPECT_TRUE(t.controller.calls.empty()); // no connection
        } else {
            // A read always runs with the option off; targets are in the local directory.
            for (const auto& call : t.flash.calls)
                EXPECT_EQ(call.option, 0);
            EXPECT_EQ(vortan::text::Utf16ToUtf8(t.flash.calls[1].localPath), local + "/b.ini");
            EXPECT_EQ(t.dlg.m_strProfileFile, "texts.ini");
            EXPECT_EQ(t.dlg.m_strProfileSection, "Texte");
        }
        // The question passes a quit on to the outer loop; take it, so that it does not end
        // the next case's wait for the controller.
        MSG msg;
        while (PeekMessage(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
}

TEST(CVORTANDlgAutoProxy, RelativeLocalPathsAreRefusedBeforeAnythingHappens) {
    EngineRig t;
    CVORTANDlgAutoProxy proxy(&t.dlg);
    std::vector<SHORT> flags(3, 77);
    std::vector<LONG> codes;
    t.RunInDialog([&](HWND) {
        codes = {proxy.ReadFile2("board1", "p", "s", "local", "a.ini", 0, &flags[0]),
                 proxy.ReadFile2("board1", "p", "s", "", "a.ini", 0, &flags[1]),
                 proxy.WriteFile2("board1", "p", "s", "local/a.ini", 0, &flags[2])};
    });
    EXPECT_EQ(codes, std::vector<LONG>(3, static_cast<LONG>(0x800700A1)));
    EXPECT_EQ(flags, std::vector<SHORT>(3, 0));
    EXPECT_TRUE(t.flash.calls.empty());
}

TEST(CVORTANDlgAutoProxy, RejectedShortNameShowsTheMessageAndEndsTheServer) {
    EngineRig t;
    const std::string profile =
        t.dir.WriteFile("names.ini", "[S]\n5053=Name %s zu lang, %d%% %n\n5009=Achtung\n");
    const std::string file = t.dir.WriteFile(".abcde", "x");
    CVORTANDlgAutoProxy proxy(&t.dlg);
    SHORT flag = 77;
    LONG hr = E_UNEXPECTED;
    HWND hWndMain = nullptr;
    const INT_PTR result = t.RunInDialog([&](HWND hwnd) {
        hWndMain = hwnd;
        hr = proxy.WriteFile2("board1", profile.c_str(), "S", file.c_str(), VARIANT_TRUE, &flag);
    });
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(flag, 0);
    EXPECT_NE(result, EngineRig::kLeftOpen); // the server ends
    ASSERT_EQ(t.boxes.shown.size(), 1u);
    EXPECT_EQ(t.boxes.shown[0].text, "Name .abcde zu lang, %d% %n");
    EXPECT_EQ(t.boxes.shown[0].caption, "Achtung");
    EXPECT_EQ(t.boxes.shown[0].type, MB_ICONEXCLAMATION | MB_OK);
    EXPECT_EQ(t.boxes.shown[0].owner, hWndMain);
    EXPECT_TRUE(t.controller.calls.empty());
}

TEST(CVORTANDlgAutoProxy, WriteHandsTheOptionAndProfileToTheEngine) {
    // Without text 5053 a long name is no obstacle; the option goes on as VARIANT_TRUE.
    EngineRig t;
    const std::string file = t.dir.WriteFile("LONGNAME1.TXT", "abc");
    CVORTANDlgAutoProxy proxy(&t.dlg);
    SHORT flag = 77;
    t.RunInDialog([&](HWND) {
        EXPECT_EQ(proxy.WriteFile2("board1", "none.ini", "S", file.c_str(), VARIANT_TRUE, &flag),
                  S_OK);
    });
    ASSERT_EQ(t.flash.calls.size(), 1u);
    EXPECT_EQ(t.flash.calls[0].method, "WriteToMemory");
    EXPECT_EQ(t.flash.calls[0].option, VARIANT_TRUE);
    EXPECT_EQ(t.dlg.m_strProfileFile, "none.ini");
    EXPECT_TRUE(t.boxes.shown.empty());
}

TEST(CVORTANDlgAutoProxy, SecondOperationDuringARunIsRefusedAndChangesNothing) {
    EngineRig t;
    t.controller.answerDelayMs = 30; // the run waits in a nested loop for the controller
    CVORTANDlgAutoProxy proxy(&t.dlg);
    RecordingWindow intruder;
    std::vector<LONG> refused;
    SHORT flag = 77;
    SHORT selector = 5;
    intruder.onMessage = [&](const RecordingWindow::Message& message) {
        if (message.message != WM_USER + 7)
            return;
        vortan::com::UniqueBstr chosen;
        SHORT dialogResult = 3;
        refused = {
            proxy.ReadFile("board1", "p", "s", "/tmp", "a.ini", &flag),
            proxy.WriteFile("board1", "p", "s", "", "a.ini", &flag),
            proxy.RemoveFiles2("board1", "p", "s", "a.ini", VARIANT_TRUE, &flag),
            proxy.Format(&selector, "board1", "p", "s", &flag),
            proxy.ShowFileSelectDialog("p", "s", "/", 0, 0, chosen.OutParam(), &dialogResult),
            proxy.ShowDirectorySelectDialog("p", "s", "t", chosen.OutParam(), &dialogResult),
        };
        EXPECT_EQ(dialogResult, 3);
        EXPECT_EQ(chosen.Get(), nullptr);
    };
    SHORT runFlag = 77;
    t.RunInDialog([&](HWND) {
        PostMessage(intruder.Handle(), WM_USER + 7, 0, 0);
        EXPECT_EQ(proxy.RemoveFiles("board1", "p.ini", "R", "x.ini", &runFlag), S_OK);
    });
    EXPECT_EQ(refused, std::vector<LONG>(6, RPC_E_CALL_REJECTED));
    EXPECT_EQ(flag, 77);
    EXPECT_EQ(selector, 5);
    EXPECT_EQ(Operations(t.flash), (std::vector<std::string>{"RemoveFromMemory x.ini"}));
    EXPECT_EQ(t.controller.CallCount("Connect"), 1);
    // Calls that start nothing still go through.
    EXPECT_EQ(proxy.GetLastErrorCode(nullptr, nullptr, nullptr, nullptr), S_OK);
}
