#pragma once

// The window calls on Windows: USER32's own, from <windows.h> and <commctrl.h>, with the "A"
// names. Only what must behave as the rest of the program expects is redirected here, the way
// <windows.h> maps SetWindowText to SetWindowTextA:
// - window texts: program strings are UTF-8, so they cross to USER32 as UTF-16 (the "A" calls
//   would read them in the ANSI code page);
// - DefWindowProc: for the windows the platform created, the default is the window's own
//   procedure (the dialog manager, the control), as it is in the window model elsewhere;
// - LoadIcon: a null module names the program's own icons too, as in the window model.
// Included by platform/win/WinUser.h; do not include it directly.

#include <cstdint>
#include <functional>
#include <utility>

#include "platform/WinDef.h"
#include "platform/win/WindowSubclass.h"
#include "vortan/win/MessageWindow.h"

// After <windows.h>, which it needs.
// clang-format off
#include <commctrl.h>
// clang-format on

// Reflected control notifications (as olectl.h numbers them): a control's WM_COMMAND reaches
// the control as OCM_COMMAND before its dialog sees it; nonzero keeps it from the dialog.
#ifndef OCM__BASE
#define OCM__BASE (WM_USER + 0x1C00)
#endif
#ifndef OCM_COMMAND
#define OCM_COMMAND (OCM__BASE + WM_COMMAND)
#endif

// From <windowsx.h>, which is not included: it defines SubclassWindow as a macro.
#ifndef GET_X_LPARAM
constexpr short GET_X_LPARAM(LPARAM lParam) {
    return static_cast<short>(static_cast<std::uintptr_t>(lParam) & 0xFFFF);
}
constexpr short GET_Y_LPARAM(LPARAM lParam) {
    return static_cast<short>((static_cast<std::uintptr_t>(lParam) >> 16) & 0xFFFF);
}
#endif

#undef SetWindowText
#define SetWindowText VortanSetWindowText
#undef GetWindowText
#define GetWindowText VortanGetWindowText
#undef GetWindowTextLength
#define GetWindowTextLength VortanGetWindowTextLength
#undef SetDlgItemText
#define SetDlgItemText VortanSetDlgItemText
#undef GetDlgItemText
#define GetDlgItemText VortanGetDlgItemText
#undef DefWindowProc
#define DefWindowProc VortanDefWindowProc
#undef LoadIcon
#define LoadIcon VortanLoadIcon

// Texts in UTF-8; lengths and buffer sizes count bytes. A text is never cut inside a character.
BOOL VortanSetWindowText(HWND hwnd, const char* text);
int VortanGetWindowText(HWND hwnd, char* buffer, int maxCount);
int VortanGetWindowTextLength(HWND hwnd);
BOOL VortanSetDlgItemText(HWND dialog, int id, const char* text);
UINT VortanGetDlgItemText(HWND dialog, int id, char* buffer, int maxCount);
LRESULT VortanDefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// With a null module: USER32's icon for a system id (IDI_WARNING), else the program's own icon
// of that id from its executable (128, 130); null when there is none.
HICON VortanLoadIcon(HINSTANCE instance, LPCSTR name);
