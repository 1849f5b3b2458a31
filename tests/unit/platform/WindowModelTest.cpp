#include "platform/win/WindowModel.h"

#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/win/IWindowObserver.h"
#include "platform/win/WinBase.h"
#include "platform/win/WinUser.h"
#include "support/ScriptedDialog.h"

using vortan::win::AddWindowObserver;
using vortan::win::CreateDialogWindow;
using vortan::win::DialogTemplate;
using vortan::win::IWindowObserver;
using vortan::win::RemoveWindowObserver;
using vortan::win::WindowKind;

namespace {

DialogTemplate ProgressTemplate() {
    DialogTemplate t;
    t.id = 102;
    t.cx = 212;
    t.cy = 31;
    t.style = WS_POPUP | WS_CAPTION | WS_VISIBLE | WS_DISABLED;
    t.items = {
        {1004, WindowKind::Static, "Status", 5, 1, 200, 8, SS_LEFT},
        {1000, WindowKind::ProgressBar, "", 5, 12, 200, 14, PBS_SMOOTH | WS_BORDER},
    };
    return t;
}

// Writes each change as one line, naming the window by its control id.
class RecordingView final : public IWindowObserver {
public:
    std::vector<std::string> log;

    void OnTextChanged(HWND hwnd, std::string_view text) override {
        log.push_back(Name(hwnd) + " text " + std::string(text));
    }
    void OnVisibilityChanged(HWND hwnd, bool visible, bool minimized) override {
        log.push_back(Name(hwnd) + (visible ? " shown" : " hidden") +
                      (minimized ? " minimized" : ""));
    }
    void OnEnabledChanged(HWND hwnd, bool enabled) override {
        log.push_back(Name(hwnd) + (enabled ? " enabled" : " disabled"));
    }
    void OnProgressChanged(HWND hwnd, int lower, int upper, int position) override {
        log.push_back(Name(hwnd) + " progress " + std::to_string(lower) + ".." +
                      std::to_string(upper) + " at " + std::to_string(position));
    }
    void OnUpdate(HWND hwnd) override { log.push_back(Name(hwnd) + " update"); }
    void OnDestroyed(HWND hwnd) override {
        log.push_back(std::to_string(m_ids.count(hwnd) ? m_ids[hwnd] : -1) + " destroyed");
    }

    void Remember(HWND hwnd) { m_ids[hwnd] = GetDlgCtrlID(hwnd); }

private:
    std::string Name(HWND hwnd) {
        Remember(hwnd);
        return std::to_string(GetDlgCtrlID(hwnd));
    }
    std::map<HWND, int> m_ids;
};

} // namespace

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
                            "102 text Schreiben 40%",
                            "1004 text Schreibe datei.cfg",
                            "102 shown",
                            "1000 progress 0..100 at 0",
                            "1000 progress 0..100 at 40",
                            "1000 progress 0..100 at 100",
                            "102 enabled",
                            "102 update",
                            "102 shown minimized",
                            "102 hidden minimized",
                            "1004 destroyed",
                            "1000 destroyed",
                            "102 destroyed",
                        }));
}

TEST(WindowModel, ObserversComeAndGoWithoutDisturbingEachOther) {
    const HWND dialog = CreateDialogWindow(ProgressTemplate(), nullptr, nullptr);
    RecordingView first;
    RecordingView second;
    ASSERT_TRUE(AddWindowObserver(dialog, &first));
    ASSERT_TRUE(AddWindowObserver(dialog, &second));
    ASSERT_TRUE(AddWindowObserver(dialog, &second)); // listed once
    SetWindowText(dialog, "a");
    ASSERT_TRUE(RemoveWindowObserver(dialog, &first)); // the first leaves first
    SetWindowText(dialog, "b");
    ASSERT_TRUE(AddWindowObserver(dialog, &first));
    ASSERT_TRUE(RemoveWindowObserver(dialog, &second)); // then the second
    EXPECT_FALSE(RemoveWindowObserver(dialog, &second));
    SetWindowText(dialog, "c");
    EXPECT_EQ(first.log, (std::vector<std::string>{"102 text a", "102 text c"}));
    EXPECT_EQ(second.log, (std::vector<std::string>{"102 text a", "102 text b"}));

    // One that an earlier one detaches while a change is told is not told.
    struct Detacher final : IWindowObserver {
        Detacher(HWND dialog, IWindowObserver* victim) : dialog(dialog), victim(victim) {}
        void OnTextChanged(HWND, std::string_view) override {
            RemoveWindowObserver(dialog, victim);
        }
        HWND dialog;
        IWindowObserver* victim;
    } detacher(dialog, &second);
    ASSERT_TRUE(AddWindowObserver(dialog, &detacher));
    ASSERT_TRUE(AddWindowObserver(dialog, &second));
    SetWindowText(dialog, "d");
    EXPECT_EQ(second.log.size(), 2u);
    DestroyWindow(dialog);
    EXPECT_EQ(first.log.back(), "102 destroyed");
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
