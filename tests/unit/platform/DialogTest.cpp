#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/ui/IDialogService.h"
#include "platform/win/CDialog.h"
#include "platform/win/WinBase.h"
#include "platform/win/WinUser.h"
#include "platform/win/WindowModel.h"
#include "support/ScriptedDialog.h"

using vortan::test::DrainQueue;
using vortan::test::ScriptedDialog;
using vortan::win::CreateMessageWindow;
using vortan::win::DialogTemplate;
using vortan::win::GetWindowTextString;
using vortan::win::WindowKind;

namespace {

DialogTemplate QuestionTemplate(DWORD style = WS_POPUP | WS_CAPTION | WS_VISIBLE) {
    DialogTemplate t;
    t.id = 133;
    t.caption = "Frage";
    t.style = style;
    t.items = {
        {IDOK, WindowKind::Button, "Ja", 25, 69, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP},
        {IDCANCEL, WindowKind::Button, "Abbrechen", 135, 69, 50, 14, WS_TABSTOP},
        {1014, WindowKind::Button, "Alle Überschreiben", 195, 69, 80, 14, WS_TABSTOP},
    };
    return t;
}

} // namespace

TEST(CDialog, EndDialogEndsOnlyItsOwnLoop) {
    DrainQueue();
    std::vector<std::string> order;
    ScriptedDialog outer(QuestionTemplate());
    ScriptedDialog inner(QuestionTemplate());
    // Another window's message, handled by the inner loop after the outer dialog ended.
    HWND other = CreateMessageWindow([&](HWND, UINT m, WPARAM, LPARAM) -> LRESULT {
        if (m == WM_USER + 2) {
            order.push_back("inner still running");
            inner.EndDialog(7);
        }
        return 0;
    });
    inner.onAct = [&](ScriptedDialog& d) {
        order.push_back(GetWindowTextString(d.GetSafeHwnd()) + "|" +
                        GetWindowTextString(GetDlgItem(d.GetSafeHwnd(), 1014)));
        outer.EndDialog(5);
        order.push_back("outer ended");
        PostMessage(other, WM_USER + 2, 0, 0);
    };
    outer.onAct = [&](ScriptedDialog&) {
        order.push_back("inner starts");
        // Started from a dispatched message, as an automation call would start it.
        const INT_PTR result = inner.DoModal();
        order.push_back("inner returned " + std::to_string(result));
    };
    EXPECT_EQ(outer.DoModal(), 5);
    EXPECT_EQ(order,
              (std::vector<std::string>{"inner starts", "Frage|Alle Überschreiben", "outer ended",
                                        "inner still running", "inner returned 7"}));
    DestroyWindow(other);
}

// The busy animation's timer: its ticks reach the dialog through the dialog's own loop.
TEST(CDialog, TimerTicksReachTheRunningDialog) {
    DrainQueue();
    struct Ticking final : CDialog {
        using CDialog::CDialog;
        int ticks = 0;
        BOOL OnInitDialog() override { return SetTimer(m_hWnd, 1, 1, nullptr) != 0; }
        LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
            if (message == WM_TIMER && wParam == 1 && ++ticks == 3) {
                KillTimer(m_hWnd, 1);
                EndDialog(IDOK);
            }
            return CDialog::WindowProc(message, wParam, lParam);
        }
    } dialog(QuestionTemplate());
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.ticks, 3);
}

TEST(CDialog, DisablesItsParentWhileRunning) {
    DrainQueue();
    ScriptedDialog parent(QuestionTemplate());
    bool parentEnabledDuringChild = true;
    bool parentEnabledAfterChild = false;
    parent.onAct = [&](ScriptedDialog& p) {
        ScriptedDialog child(QuestionTemplate(), p.GetSafeHwnd());
        child.onAct = [&](ScriptedDialog& c) {
            parentEnabledDuringChild = IsWindowEnabled(p.GetSafeHwnd()) != FALSE;
            c.EndDialog(IDOK);
        };
        child.DoModal();
        parentEnabledAfterChild = IsWindowEnabled(p.GetSafeHwnd()) != FALSE;
        p.EndDialog(IDOK);
    };
    EXPECT_EQ(parent.DoModal(), IDOK);
    EXPECT_FALSE(parentEnabledDuringChild);
    EXPECT_TRUE(parentEnabledAfterChild);
}

TEST(CDialog, QuitEndsTheRunAndReachesTheOuterLoop) {
    DrainQueue();
    ScriptedDialog dialog(QuestionTemplate());
    dialog.onAct = [](ScriptedDialog&) { PostQuitMessage(3); };
    EXPECT_EQ(dialog.DoModal(), -1);
    MSG msg;
    EXPECT_EQ(GetMessage(&msg, nullptr, 0, 0), 0);
    EXPECT_EQ(msg.wParam, 3u);
}

TEST(CDialog, ShowsAfterInitializationAsTheTemplateSaysAndTellsTheService) {
    struct RecordingService final : vortan::ui::IDialogService {
        std::vector<std::string> log;
        void OnModalDialogShown(HWND dialog, const DialogTemplate& t) override {
            log.push_back("shown " + std::to_string(t.id) + " " +
                          (vortan::ui::IsQuestionDialog(dialog) ? "question" : "display"));
        }
        void OnModalDialogEnded(HWND dialog, INT_PTR result) override {
            log.push_back("ended " + std::to_string(result) + (IsWindow(dialog) ? "" : " gone"));
        }
    } service;
    vortan::ui::IDialogService* const previous = vortan::ui::SetDialogService(&service);
    struct Case {
        DWORD style;
        bool endInInit;
        bool visibleDuringRun;
        bool enabledDuringRun;
        std::vector<std::string> log;
    };
    // A shown question is told about by the overwrite question's and the progress window's
    // tests; these are the windows nobody may answer and the one never shown.
    const Case cases[] = {
        {WS_POPUP, false, false, true, {"shown 133 display", "ended 7"}},
        {WS_POPUP | WS_VISIBLE | WS_DISABLED, false, true, false, {"shown 133 display", "ended 7"}},
        {WS_POPUP | WS_VISIBLE, true, false, false, {}},
    };
    for (const Case& c : cases) {
        DrainQueue();
        service.log.clear();
        ScriptedDialog dialog(QuestionTemplate(c.style));
        bool visibleInInit = true;
        bool visible = false;
        bool enabled = false;
        std::string caption = "Frage";
        dialog.onInit = [&](ScriptedDialog& d) {
            ShowWindow(d.GetSafeHwnd(), SW_HIDE); // as the progress window does
            visibleInInit = IsWindowVisible(d.GetSafeHwnd()) != FALSE;
            if (c.endInInit)
                d.EndDialog(IDNO);
        };
        dialog.onAct = [&](ScriptedDialog& d) {
            visible = IsWindowVisible(d.GetSafeHwnd()) != FALSE;
            enabled = IsWindowEnabled(d.GetSafeHwnd()) != FALSE;
            caption = GetWindowTextString(d.GetSafeHwnd());
            d.EndDialog(IDNO);
        };
        EXPECT_EQ(dialog.DoModal(), IDNO);
        EXPECT_FALSE(visibleInInit);
        EXPECT_EQ(visible, c.visibleDuringRun) << std::hex << c.style;
        EXPECT_EQ(enabled, c.enabledDuringRun) << std::hex << c.style;
        EXPECT_EQ(caption, "Frage");
        EXPECT_EQ(service.log, c.log) << std::hex << c.style;
    }
    vortan::ui::SetDialogService(previous);
}
