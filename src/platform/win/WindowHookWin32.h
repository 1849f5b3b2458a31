#pragma once

// The platform's procedure in front of the windows it creates (dialogs and their controls):
// it gives a window a handler of the program's (CDialog, a subclassing control), tells the
// window's observers what changed after USER32 changed it, and keeps USER32 out of the
// program's exceptions. Window thread only.

#include <string>

#include "platform/win/WinUser.h"

namespace vortan::win {

class IWindowObserver;

// Puts the platform's procedure in front of `hwnd` once; false for an invalid window.
bool HookWindow(HWND hwnd);
// Hooks the window and each of its controls.
bool HookWindowAndChildren(HWND hwnd);
bool IsHooked(HWND hwnd);

// The handler that gets the window's messages before its own procedure; empty: none. Returns
// the previous one. The window must be hooked.
WindowProcedure SetHookHandler(HWND hwnd, WindowProcedure handler);
// The window's own procedure, behind the hook; DefWindowProc for a window not hooked.
LRESULT CallOwnProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

bool AddHookObserver(HWND hwnd, IWindowObserver* observer);
bool RemoveHookObserver(HWND hwnd, IWindowObserver* observer);

// The window's text in UTF-8; empty for an invalid handle.
std::string WindowTextUtf8(HWND hwnd);

} // namespace vortan::win
