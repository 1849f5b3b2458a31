#pragma once

// Mouse capture, keyboard state, window geometry and the edit control's messages, in
// the platform's names. Included by WinUser.h; the view feeds input into the model through
// the same calls (SetKeyState, SetWindowPos, SendMessage), so subsystem code sees what a
// person does and a test can play it.

#include <functional>
#include <utility>

#include "platform/WinDef.h"
#include "platform/win/WindowSubclass.h"

inline constexpr UINT WM_SIZE = 0x0005;
inline constexpr UINT WM_SETFOCUS = 0x0007;
inline constexpr UINT WM_KILLFOCUS = 0x0008;
inline constexpr UINT WM_ENABLE = 0x000A;
inline constexpr UINT WM_SETFONT = 0x0030;
inline constexpr UINT WM_GETFONT = 0x0031;
inline constexpr UINT WM_NOTIFY = 0x004E;
inline constexpr UINT WM_NCCALCSIZE = 0x0083;
inline constexpr UINT WM_NCHITTEST = 0x0084;
inline constexpr UINT WM_NCPAINT = 0x0085;
inline constexpr UINT WM_NCLBUTTONDOWN = 0x00A1;
inline constexpr UINT WM_NCLBUTTONDBLCLK = 0x00A3;
inline constexpr UINT WM_MOUSEMOVE = 0x0200;
inline constexpr UINT WM_LBUTTONDOWN = 0x0201;
inline constexpr UINT WM_LBUTTONUP = 0x0202;
inline constexpr UINT WM_DROPFILES = 0x0233;

// Edit control messages and notifications.
inline constexpr UINT EM_GETSEL = 0x00B0;
inline constexpr UINT EM_SETSEL = 0x00B1;
inline constexpr UINT EM_SCROLLCARET = 0x00B7;
inline constexpr UINT EM_SETREADONLY = 0x00CF;
inline constexpr WORD EN_CHANGE = 0x0300;
inline constexpr DWORD ES_AUTOHSCROLL = 0x0080;
inline constexpr DWORD ES_READONLY = 0x0800;

// A control's notification, reflected back to the control before its parent sees it. The
// reflected handler returns nonzero to keep the notification from the parent.
inline constexpr UINT OCM__BASE = WM_USER + 0x1C00;
inline constexpr UINT OCM_COMMAND = OCM__BASE + 0x0111;

// Hit-test answers.
inline constexpr LRESULT HTERROR = -2;
inline constexpr LRESULT HTNOWHERE = 0;
inline constexpr LRESULT HTCLIENT = 1;
inline constexpr LRESULT HTBORDER = 18;

// Virtual keys beyond the dialog keys.
inline constexpr int VK_SHIFT = 0x10;
inline constexpr int VK_CONTROL = 0x11;
inline constexpr int VK_DECIMAL = 0x6E;
inline constexpr int VK_OEM_PERIOD = 0xBE;

// SetWindowPos options.
inline constexpr UINT SWP_NOSIZE = 0x0001;
inline constexpr UINT SWP_NOMOVE = 0x0002;
inline constexpr UINT SWP_NOZORDER = 0x0004;
inline constexpr UINT SWP_NOACTIVATE = 0x0010;
inline constexpr UINT SWP_FRAMECHANGED = 0x0020;

// The header of every WM_NOTIFY record.
struct NMHDR {
    HWND hwndFrom = nullptr;
    UINT_PTR idFrom = 0;
    UINT code = 0;
};
using LPNMHDR = NMHDR*;

struct WINDOWPOS {
    HWND hwnd = nullptr;
    HWND hwndInsertAfter = nullptr;
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    UINT flags = 0;
};

// WM_NCCALCSIZE with wParam TRUE: rgrc[0] is the new window rectangle on entry and the client
// rectangle on return; rgrc[1] is the window rectangle the client area is computed for and
// rgrc[2] the old client rectangle (all in the desktop's pixels). With wParam FALSE, lParam
// points to one RECT instead.
struct NCCALCSIZE_PARAMS {
    RECT rgrc[3];
    WINDOWPOS* lppos = nullptr;
};

constexpr short GET_X_LPARAM(LPARAM lParam) {
    return static_cast<short>(static_cast<std::uintptr_t>(lParam) & 0xFFFF);
}
constexpr short GET_Y_LPARAM(LPARAM lParam) {
    return static_cast<short>((static_cast<std::uintptr_t>(lParam) >> 16) & 0xFFFF);
}

// Mouse capture: the view sends mouse messages to the capturing window, wherever the mouse is.
HWND SetCapture(HWND hwnd);
BOOL ReleaseCapture();
HWND GetCapture();

// The high bit (0x8000) is set while the key is down. The view (or a test) keeps the state
// with vortan::win::SetKeyState.
SHORT GetKeyState(int virtKey);

// Geometry in pixels of the view's coordinate space (one space for the whole desktop). The
// model starts every window empty; the view sets it. Moving or resizing, or SWP_FRAMECHANGED,
// asks the window for its client area (WM_NCCALCSIZE) and tells the view; a new size sends
// WM_SIZE.
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL GetWindowRect(HWND hwnd, LPRECT rect);
// The client area in its own coordinates: (0, 0) to its width and height.
BOOL GetClientRect(HWND hwnd, LPRECT rect);
// Client coordinates to the desktop's, and back.
BOOL ClientToScreen(HWND hwnd, POINT* point);
BOOL ScreenToClient(HWND hwnd, POINT* point);

// The window class: "Edit", "Button", "Static", "msctls_progress32", "#32770" (dialogs).
int GetClassName(HWND hwnd, LPSTR className, int maxCount);

BOOL PtInRect(const RECT* rect, POINT point);
BOOL OffsetRect(LPRECT rect, int dx, int dy);
BOOL IsRectEmpty(const RECT* rect);

namespace vortan::win {

// What a view reports of the keyboard: `down` for a key pressed, false when released.
void SetKeyState(int virtKey, bool down);

} // namespace vortan::win
