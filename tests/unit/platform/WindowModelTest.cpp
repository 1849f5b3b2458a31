#include "platform/win/WindowModel.h"

#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "RecordingView.h"
#include "platform/win/IWindowObserver.h"
#include "platform/win/WinBase.h"
#include "platform/win/WinUser.h"
#include "support/ScriptedDialog.h"

using vortan::test::ProgressTemplate;
using vortan::test::RecordingView;
using vortan::win::AddWindowObserver;
using vortan::win::CreateDialogWindow;
using vortan::win::DialogTemplate;
using vortan::win::IWindowObserver;
using vortan::win::RemoveWindowObserver;
using vortan::win::WindowKind;

TEST(WindowModel, ViewSeesEveryChange) {
    const HWND dialog = CreateDialogWindow(ProgressTemplate(), nullptr, nullptr);
    ASSERT_NE(dialog, nullptr);
    RecordingView view;
    ASSERT_TRUE(AddWindowObserver(dialog, &view));
    const HWND status = GetDlgItem(dialog, 1004);
    const HWND bar = GetDlgItem(dialog, 1000);
    view.Remember(status);
    view.Remember(bar);
    view.Remember(dialog);

    SetWindowText(dialog, "Schreiben 40%");
    SetDlgItemText(dialog, 1004, "Schreibe datei.cfg");
    ShowWindow(dialog, SW_SHOWNORMAL);
    ShowWindow(dialog, SW_SHOW); // no change, no report
    SendMessage(bar, PBM_SETRANGE32, 0, 100);
    SendMessage(bar, PBM_SETPOS, 40, 0);
    SendMessage(bar, PBM_SETPOS, 250, 0); // the bar stops at its upper end
    SendMessage(bar, PBM_SETPOS, 100, 0); // unchanged: not reported
    EnableWindow(dialog, TRUE);
    UpdateWindow(dialog);
    ShowWindow(dialog, SW_MINIMIZE);
    ShowWindow(dialog, SW_HIDE);
    DestroyWindow(dialog);

    EXPECT_EQ(view.log, (std::vector<std::string>{
                            "dialog text Schreiben 40%",
                            "1004 text Schreibe datei.cfg",
                            "dialog shown",
                            "1000 progress 0..100 at 0",
                            "1000 progress 0..100 at 40",
                            "1000 progress 0..100 at 100",
                            "dialog enabled",
                            "dialog update",
                            "dialog shown minimized",
                            "dialog hidden minimized",
                            "1004 destroyed",
                            "1000 destroyed",
                            "dialog destroyed",
                        }));
}

TEST(WindowModel, WorksWithoutAView) {
    const HWND dialog = CreateDialogWindow(ProgressTemplate(), nullptr, nullptr);
    const HWND bar = GetDlgItem(dialog, 1000);
    const HWND status = GetDlgItem(dialog, 1004);

    EXPECT_EQ(IsWindowEnabled(dialog), FALSE); // template says disabled
    EXPECT_EQ(IsWindowVisible(dialog), FALSE); // shown only by a modal run
    EXPECT_EQ(IsWindowVisible(status), FALSE); // a control of a hidden dialog is not on screen
    ShowWindow(dialog, SW_SHOW);
    EXPECT_EQ(IsWindowVisible(status), TRUE);
    EXPECT_EQ(GetParent(status), dialog);
    EXPECT_EQ(GetDlgItem(dialog, 4711), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_CONTROL_ID_NOT_FOUND);

    EXPECT_EQ(SendMessage(bar, PBM_SETRANGE, 0, MAKELPARAM(10, 20)), MAKELPARAM(0, 100));
    EXPECT_EQ(SendMessage(bar, PBM_GETPOS, 0, 0), 10); // clamped into the new range
    EXPECT_EQ(SendMessage(bar, PBM_SETPOS, 15, 0), 10);
    EXPECT_EQ(SendMessage(bar, PBM_GETRANGE, TRUE, 0), 10);
    EXPECT_EQ(SendMessage(bar, PBM_GETRANGE, FALSE, 0), 20);

    // Texts are cut to the buffer without splitting a character.
    SetDlgItemText(dialog, 1004,
                   "\xC3\x9C"
                   "berschreiben");
    struct Case {
        int buffer;
        std::string text;
        int length;
    };
    const Case cases[] = {{2, "", 0},
                          {3, "\xC3\x9C", 2},
                          {6,
                           "\xC3\x9C"
                           "ber",
                           5}};
    for (const Case& c : cases) {
        char buffer[16] = "xxxxxxxxxxxxxxx";
        EXPECT_EQ(GetWindowText(status, buffer, c.buffer), c.length) << c.buffer;
        EXPECT_EQ(std::string(buffer), c.text) << c.buffer;
    }
    char buffer[64];
    EXPECT_EQ(GetDlgItemText(dialog, 1004, buffer, sizeof buffer), 14u);
    EXPECT_EQ(GetWindowTextLength(status), 14);
    EXPECT_EQ(GetDlgItemText(dialog, 4711, buffer, sizeof buffer), 0u);

    EXPECT_EQ(DestroyWindow(dialog), TRUE);
    EXPECT_EQ(IsWindow(bar), FALSE);
    EXPECT_EQ(IsWindow(status), FALSE);
}

// Enter, Esc, the close box and the buttons are shown by the overwrite question's tests; the
// model's own keyboard handling is what USER32's dialog manager does on Windows.
TEST(CDialog, EnterOnADisabledDefaultButtonDoesNothing) {
    using vortan::test::ScriptedDialog;
    vortan::test::DrainQueue();
    DialogTemplate question;
    question.id = 133;
    question.style = WS_POPUP | WS_CAPTION | WS_VISIBLE;
    question.items = {
        {IDOK, WindowKind::Button, "Ja", 25, 69, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP},
        {IDCANCEL, WindowKind::Button, "Abbrechen", 135, 69, 50, 14, WS_TABSTOP},
    };
    ScriptedDialog dialog(question);
    dialog.onAct = [](ScriptedDialog& d) {
        EnableWindow(GetDlgItem(d.GetSafeHwnd(), IDOK), FALSE);
        SendMessage(d.GetSafeHwnd(), WM_KEYDOWN, VK_RETURN, 0);
        SendMessage(d.GetSafeHwnd(), WM_KEYDOWN, VK_ESCAPE, 0);
    };
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.log, std::vector<std::string>{"OnCancel"});
}
