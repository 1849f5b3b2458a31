#pragma once

// What the program asks of a window beyond the platform's own calls, the same on Linux and
// Windows: where its client area lies, an edit control's state, and subclassing with a
// handler in front of the window's procedure.

#include <functional>
#include <utility>

#include "platform/WinDef.h"

namespace vortan::win {

// The client area relative to the window's top-left corner, as the last WM_NCCALCSIZE left it.
RECT GetClientAreaInWindow(HWND hwnd);

// Edit control state: read-only style and selection (EM_GETSEL; EM_SETSEL with 0, -1 selects
// the whole text).
bool IsEditReadOnly(HWND hwnd);
std::pair<int, int> GetEditSelection(HWND hwnd);

// Gives a window a handler in front of its procedure and returns the previous handler, which
// the new one calls for what it does not handle (the first time: the window's own procedure;
// an empty one: DefWindowProc). The handler lives until it is replaced or the window is gone;
// an empty one restores the window's own procedure.
using WindowProcedure = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;
WindowProcedure SubclassWindow(HWND hwnd, WindowProcedure handler);
// Runs `previous` or, when empty, DefWindowProc.
LRESULT CallWindowProcedure(const WindowProcedure& previous, HWND hwnd, UINT message, WPARAM wParam,
                            LPARAM lParam);

} // namespace vortan::win
