#include "platform/ui/IDialogService.h"
#include "platform/win/CDialog.h"
#include "platform/win/WinBase.h"
#include "platform/win/WinUser.h"
#include "platform/win/WindowModel.h"
#include "support/ScriptedDialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

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
    t.cx = 302;
    t.cy = 86;
    t.style = style;
    t.fontName = "MS Sans Serif";
    t.fontPointSize = 8;
    t.items = {
        {IDOK, WindowKind::Button, "Ja", 25, 69, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP},
        {IDCANCEL, WindowKind::Button, "Abbrechen", 135, 69, 50, 14, WS_TABSTOP},
        {1010, WindowKind::Static, "Die Datei", 40, 15, 250, 10, SS_LEFT},
        {IDNO, WindowKind::Button, "Nein", 80, 69, 50, 14, WS_TABSTOP},
    };
    return t;
}

} // namespace

TEST(CDialog, AnswersOfTheUser) {
    struct Case {
        const char* what;
        std::function<void(HWND)> act;
        bool disableDefault;
        INT_PTR result;
        std::vector<std::string> log;
    };
    const auto key = [](WPARAM k) { return [k](HWND h) { SendMessage(h, WM_KEYDOWN, k, 0); }; };
    const auto click = [](int id) {
        return [id](HWND h) { SendMessage(GetDlgItem(h, id), BM_CLICK, 0, 0); };
    };
    const Case cases[] = {
        {"Enter presses the default button", key(VK_RETURN), false, IDOK, {"OnOK"}},
        {"Esc cancels", key(VK_ESCAPE), false, IDCANCEL, {"OnCancel"}},
        {"close box cancels",
         [](HWND h) { SendMessage(h, WM_CLOSE, 0, 0); },
         false,
         IDCANCEL,
         {"OnCancel"}},
        {"button Nein", click(IDNO), false, IDNO, {"Nein"}},
        {"button Abbrechen", click(IDCANCEL), false, IDCANCEL, {"OnCancel"}},
        // Enter on a disabled default button does nothing; Esc then ends it.
        {"disabled default button",
         [](HWND h) {
             SendMessage(h, WM_KEYDOWN, VK_RETURN, 0);
             SendMessage(h, WM_KEYDOWN, VK_ESCAPE, 0);
         },
         true,
         IDCANCEL,
         {"OnCancel"}},
    };
    for (const Case& c : cases) {
        DrainQueue();
        ScriptedDialog dialog(QuestionTemplate());
        dialog.onAct = [&c](ScriptedDialog& d) {
            if (c.disableDefault)
                EnableWindow(GetDlgItem(d.GetSafeHwnd(), IDOK), FALSE);
            c.act(d.GetSafeHwnd());
        };
        EXPECT_EQ(dialog.DoModal(), c.result) << c.what;
        EXPECT_EQ(dialog.log, c.log) << c.what;
        EXPECT_EQ(dialog.GetSafeHwnd(), nullptr) << c.what;
    }
}

TEST(CDialog, IgnoredCancelKeepsTheDialogOpen) {
    DrainQueue();
    ScriptedDialog dialog(QuestionTemplate());
    dialog.endOnCancel = false;
    HWND hwnd = nullptr;
    HWND button = nullptr;
    dialog.onAct = [&](ScriptedDialog& d) {
        hwnd = d.GetSafeHwnd();
        button = GetDlgItem(hwnd, IDOK);
        SendMessage(hwnd, WM_CLOSE, 0, 0);
        EXPECT_EQ(IsWindow(hwnd), TRUE);
        d.EndDialog(14);
    };
    EXPECT_EQ(dialog.DoModal(), 14);
    EXPECT_EQ(dialog.log, std::vector<std::string>{"OnCancel"});
    EXPECT_EQ(IsWindow(hwnd), FALSE);
    EXPECT_EQ(IsWindow(button), FALSE);
}

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
    inner.onAct = [&](ScriptedDialog&) {
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
    EXPECT_EQ(order, (std::vector<std::string>{"inner starts", "outer ended", "inner still running",
                                               "inner returned 7"}));
    DestroyWindow(other);
}

TEST(CDialog, NestedLoopInsideSentMessageDispatchesPostsAndTimers) {
    DrainQueue();
    ScriptedDialog dialog(QuestionTemplate());
    std::vector<std::string> seen;
    HWND other = CreateMessageWindow([&](HWND h, UINT m, WPARAM w, LPARAM) -> LRESULT {
        if (m == WM_USER)
            seen.push_back("posted " + std::to_string(w));
        if (m == WM_TIMER) {
            seen.push_back("timer " + std::to_string(w));
            KillTimer(h, w);
            dialog.EndDialog(IDOK);
        }
        return 0;
    });
    INT_PTR result = 0;
    HWND host = CreateMessageWindow([&](HWND, UINT m, WPARAM, LPARAM) -> LRESULT {
        if (m == WM_USER + 9) {
            PostMessage(other, WM_USER, 1, 0);
            SetTimer(other, 4, 10, nullptr);
            result = dialog.DoModal(); // a modal run inside a sent message's handler
        }
        return 0;
    });
    SendMessage(host, WM_USER + 9, 0, 0);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(seen, (std::vector<std::string>{"posted 1", "timer 4"}));
    DestroyWindow(host);
    DestroyWindow(other);
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
    const Case cases[] = {
        {WS_POPUP | WS_VISIBLE, false, true, true, {"shown 133 question", "ended 7"}},
        {WS_POPUP, false, false, true, {"shown 133 display", "ended 7"}},
        {WS_POPUP | WS_VISIBLE | WS_DISABLED, false, true, false, {"shown 133 display", "ended 7"}},
        // Ended before it was ever shown: nobody is told.
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
