#pragma once

// The window and message calls of the platform, in its own names and argument order. Windows
// are entries of the window model (vortan::win::Window); a handle that names no live window is
// refused with ERROR_INVALID_WINDOW_HANDLE. All calls except PostMessage belong to the one
// thread that runs the windows. Message-only windows, PostMessage and DestroyWindow are the
// public part (vortan/win/MessageWindow.h), which plug-ins use too.

#ifdef _WIN32
#include "platform/win/WinUserWin32.h"
#else

#include "platform/WinDef.h"
#include "vortan/win/MessageWindow.h"

// Messages this program handles or sends.
inline constexpr UINT WM_NULL = 0x0000;
inline constexpr UINT WM_SETTEXT = 0x000C;
inline constexpr UINT WM_GETTEXT = 0x000D;
inline constexpr UINT WM_GETTEXTLENGTH = 0x000E;
inline constexpr UINT WM_PAINT = 0x000F;
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_QUIT = 0x0012;
inline constexpr UINT WM_QUERYDRAGICON = 0x0037;
inline constexpr UINT WM_KEYDOWN = 0x0100;
inline constexpr UINT WM_INITDIALOG = 0x0110;
inline constexpr UINT WM_COMMAND = 0x0111;
inline constexpr UINT WM_SYSCOMMAND = 0x0112;
inline constexpr UINT WM_TIMER = 0x0113;

// Button and progress bar messages.
inline constexpr UINT BM_CLICK = 0x00F5;
inline constexpr UINT STM_SETICON = 0x0170;
inline constexpr UINT STM_GETICON = 0x0171;
inline constexpr UINT PBM_SETRANGE = WM_USER + 1;
inline constexpr UINT PBM_SETPOS = WM_USER + 2;
inline constexpr UINT PBM_SETRANGE32 = WM_USER + 6;
inline constexpr UINT PBM_GETRANGE = WM_USER + 7;
inline constexpr UINT PBM_GETPOS = WM_USER + 8;

inline constexpr WORD BN_CLICKED = 0;

// Keys a dialog reacts to.
inline constexpr WPARAM VK_RETURN = 0x0D;
inline constexpr WPARAM VK_ESCAPE = 0x1B;

// Dialog results and the standard command ids.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDNO = 7;

// Window styles.
inline constexpr DWORD WS_POPUP = 0x80000000;
inline constexpr DWORD WS_CHILD = 0x40000000;
inline constexpr DWORD WS_MINIMIZE = 0x20000000;
inline constexpr DWORD WS_VISIBLE = 0x10000000;
inline constexpr DWORD WS_DISABLED = 0x08000000;
inline constexpr DWORD WS_CAPTION = 0x00C00000;
inline constexpr DWORD WS_BORDER = 0x00800000;
inline constexpr DWORD WS_SYSMENU = 0x00080000;
inline constexpr DWORD WS_GROUP = 0x00020000;
inline constexpr DWORD WS_TABSTOP = 0x00010000;
inline constexpr DWORD WS_EX_APPWINDOW = 0x00040000;
inline constexpr DWORD DS_SETFONT = 0x00000040;
inline constexpr DWORD DS_MODALFRAME = 0x00000080;
inline constexpr DWORD DS_3DLOOK = 0x00000004;
inline constexpr DWORD BS_DEFPUSHBUTTON = 0x00000001;
inline constexpr DWORD SS_LEFT = 0x00000000;
inline constexpr DWORD PBS_SMOOTH = 0x00000001;

// Menu item flags.
inline constexpr UINT MF_STRING = 0x0000;
inline constexpr UINT MF_SEPARATOR = 0x0800;

// ShowWindow commands.
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOWMINIMIZED = 2;
inline constexpr int SW_SHOW = 5;
inline constexpr int SW_MINIMIZE = 6;
inline constexpr int SW_RESTORE = 9;

// PeekMessage options.
inline constexpr UINT PM_NOREMOVE = 0x0000;
inline constexpr UINT PM_REMOVE = 0x0001;

constexpr WORD LOWORD(std::uintptr_t value) {
    return static_cast<WORD>(value & 0xFFFF);
}
constexpr WORD HIWORD(std::uintptr_t value) {
    return static_cast<WORD>((value >> 16) & 0xFFFF);
}
constexpr WPARAM MAKEWPARAM(WORD low, WORD high) {
    return static_cast<WPARAM>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16));
}
constexpr LPARAM MAKELPARAM(WORD low, WORD high) {
    return static_cast<LPARAM>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16));
}

// Integer resource names, as the resource calls take them.
inline LPCSTR MAKEINTRESOURCE(WORD id) {
    return reinterpret_cast<LPCSTR>(static_cast<std::uintptr_t>(id));
}
inline constexpr WORD IDI_APPLICATION_ID = 32512;
inline constexpr WORD IDI_WARNING_ID = 32515;
inline const LPCSTR IDI_APPLICATION = MAKEINTRESOURCE(IDI_APPLICATION_ID);
inline const LPCSTR IDI_WARNING = MAKEINTRESOURCE(IDI_WARNING_ID);

struct MSG {
    HWND hwnd = nullptr;
    UINT message = WM_NULL;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    DWORD time = 0;
    POINT pt;
};
using LPMSG = MSG*;

using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);

// Messages. SendMessage runs the window's handler now, on this thread; PostMessage
// (MessageWindow.h) queues.
LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);

// Blocks until a message is available: posted messages first, then the quit request, then a
// due timer. Returns 0 for WM_QUIT, -1 for an invalid window filter, else nonzero. A window
// filter takes that window's and its controls' messages; a range of 0, 0 takes all.
BOOL GetMessage(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax);
BOOL PeekMessage(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg);
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessage(const MSG* msg);

// Timers deliver WM_TIMER through the loop; a timer has at most one WM_TIMER waiting however
// long the loop was busy. Setting an existing id again restarts it with the new period. Only
// window timers without a callback are offered (nothing here needs more): a null window or a
// `proc` fails.
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc);
BOOL KillTimer(HWND hwnd, UINT_PTR id);

// Default processing: text, progress bar and button messages of the model; for dialogs
// WM_CLOSE becomes the Cancel command and Enter/Esc the default button's command/Cancel; for
// other windows WM_CLOSE destroys the window.
LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The window model. Texts are UTF-8.
BOOL IsWindow(HWND hwnd);
BOOL SetWindowText(HWND hwnd, const char* text);
int GetWindowText(HWND hwnd, char* buffer, int maxCount);
int GetWindowTextLength(HWND hwnd);
BOOL ShowWindow(HWND hwnd, int cmdShow);
BOOL IsWindowVisible(HWND hwnd);
BOOL EnableWindow(HWND hwnd, BOOL enable);
BOOL IsWindowEnabled(HWND hwnd);
BOOL UpdateWindow(HWND hwnd);
// Only "draw the window and its children now" (RDW_UPDATENOW | RDW_ALLCHILDREN), without a
// rectangle or region: the model draws a window with its children, as UpdateWindow does.
using HRGN = struct HRGN__*;
inline constexpr UINT RDW_ALLCHILDREN = 0x0080;
inline constexpr UINT RDW_UPDATENOW = 0x0100;
BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN region, UINT flags);
HWND GetParent(HWND hwnd);
HWND GetDlgItem(HWND dialog, int id);
int GetDlgCtrlID(HWND hwnd);
BOOL SetDlgItemText(HWND dialog, int id, const char* text);
UINT GetDlgItemText(HWND dialog, int id, char* buffer, int maxCount);
// The keyboard focus of the thread, which a view reports: Enter in a dialog presses the
// focused push button. SetFocus answers the previous focus; null clears it. The window that
// loses the focus gets WM_KILLFOCUS, then the one that gets it WM_SETFOCUS.
HWND SetFocus(HWND hwnd);
HWND GetFocus();

// The system menu of a top-level window: extra entries that the view offers where the
// desktop puts a window's own menu; choosing one sends WM_SYSCOMMAND with its id. Every
// top-level window has one (null for a control or an invalid handle); `revert` is ignored.
HMENU GetSystemMenu(HWND hwnd, BOOL revert);
// Appends an entry (MF_STRING, text UTF-8) or a separator (MF_SEPARATOR, no id or text).
BOOL AppendMenu(HMENU menu, UINT flags, UINT_PTR id, const char* text);

// Icons by integer resource id: a null module names the system icons (IDI_WARNING), else the
// program's own (128, 130). Named resources are not supported and give null.
HICON LoadIcon(HINSTANCE instance, LPCSTR name);

// Capture, keyboard state, geometry and the edit control's messages.
#include "platform/win/WinUserInput.h"

#endif
