#include <string>

#include <gtest/gtest.h>

#include "platform/win/WinUser.h"
#include "platform/win/WindowModel.h"

// The program's manifest makes UTF-8 the code page of the platform's "A" calls, which the
// common dialogs and SendMessage with texts use unredirected.
TEST(CodePage, AnsiCallsTakeProgramStrings) {
    vortan::win::DialogTemplate t;
    t.items = {{1004, vortan::win::WindowKind::Static, "", 5, 1, 200, 8, SS_LEFT}};
    const HWND dialog = vortan::win::CreateDialogWindow(t, nullptr, nullptr);
    ASSERT_NE(dialog, nullptr);
    const std::string text = "Alle Überschreiben – €";
    ASSERT_NE(SetDlgItemTextA(dialog, 1004, text.c_str()), FALSE);
    EXPECT_EQ(vortan::win::GetWindowTextString(GetDlgItem(dialog, 1004)), text);
    char buffer[64] = {};
    GetDlgItemTextA(dialog, 1004, buffer, sizeof buffer);
    EXPECT_EQ(std::string(buffer), text);
    DestroyWindow(dialog);
}
