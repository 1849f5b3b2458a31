#pragma once

// Message-only windows: how a component answers later. It creates a window that only receives
// messages, posts a request to it and does the work (firing its events) when the program's
// message loop dispatches the message, on the program's one thread. The windows and the loop
// are the program's: in a process that runs none, CreateMessageWindow answers null.

#include <functional>

#include "vortan/WinTypes.h"

#ifndef _WIN32
// Sent to the handler while DestroyWindow runs; the window is still whole.
inline constexpr UINT WM_DESTROY = 0x0002;
// Messages from WM_USER up are free for a window's own use.
inline constexpr UINT WM_USER = 0x0400;
#endif

namespace vortan::win {

// A window's message handler; what it returns goes back to a SendMessage caller.
using WindowHandler = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

// A window that only receives messages (posted answers, timers); it is never shown.
HWND CreateMessageWindow(WindowHandler handler);

} // namespace vortan::win

#ifndef _WIN32
// On Windows these are the platform's own.

// Queues the message for the window's handler and returns at once; any thread may call it.
// Posts from one thread keep their order. A message for a window destroyed before the loop
// takes it is dropped. FALSE for a handle that names no live window. (A null window posts a
// message for the thread, which GetMessage returns without dispatching it.)
BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Sends WM_DESTROY to the handler, then ends the window and drops what is queued for it; the
// handle is never valid again. On the window's thread only.
BOOL DestroyWindow(HWND hwnd);

#endif
