#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "RecordingView.h"

using vortan::test::IWindowObserver;
using vortan::test::ProgressTemplate;
using vortan::test::RecordingView;
using vortan::win::AddWindowObserver;
using vortan::win::CreateDialogWindow;
using vortan::win::RemoveWindowObserver;

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
    EXPECT_EQ(first.log, (std::vector<std::string>{"dialog text a", "dialog text c"}));
    EXPECT_EQ(second.log, (std::vector<std::string>{"dialog text a", "dialog text b"}));

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
    // A control's change reaches the dialog's observers too.
    SendMessage(GetDlgItem(dialog, 1000), PBM_SETPOS, 40, 0);
    EXPECT_EQ(first.log.back(), "1000 progress 0..100 at 40");
    DestroyWindow(dialog);
    EXPECT_EQ(first.log.back(), "dialog destroyed");
}
