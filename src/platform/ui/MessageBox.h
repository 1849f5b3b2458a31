#pragma once

// Message boxes. Who answers them is a process-wide choice, as the desktop is on the real
// platform: the Qt program shows real boxes, unattended runs answer from a script, unit tests
// record what was shown (vortan::ui::SetMessageBoxService).

#include "platform/WinDef.h"

#ifdef _WIN32
// MessageBoxA reads the ANSI code page; the box goes to the process's message box service or,
// when none is installed, to USER32 in UTF-16.
#undef MessageBox
#define MessageBox VortanMessageBox
int VortanMessageBox(HWND hWnd, const char* lpText, const char* lpCaption, UINT uType);
#else
inline constexpr UINT MB_OK = 0x00000000;
inline constexpr UINT MB_OKCANCEL = 0x00000001;
inline constexpr UINT MB_ABORTRETRYIGNORE = 0x00000002;
inline constexpr UINT MB_YESNOCANCEL = 0x00000003;
inline constexpr UINT MB_YESNO = 0x00000004;
inline constexpr UINT MB_RETRYCANCEL = 0x00000005;
inline constexpr UINT MB_ICONHAND = 0x00000010;
inline constexpr UINT MB_ICONERROR = MB_ICONHAND;
inline constexpr UINT MB_ICONQUESTION = 0x00000020;
inline constexpr UINT MB_ICONEXCLAMATION = 0x00000030;
inline constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
inline constexpr UINT MB_ICONASTERISK = 0x00000040;
inline constexpr UINT MB_ICONINFORMATION = MB_ICONASTERISK;
inline constexpr UINT MB_TYPEMASK = 0x0000000F;
inline constexpr UINT MB_ICONMASK = 0x000000F0;

inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
// IDOK, IDCANCEL and IDNO come with the window calls (platform/win/WinUser.h).

// Shows a modal message box and returns the button that closed it. Texts are UTF-8.
// A null caption shows "Fehler", as the platform does.
int MessageBox(HWND hWnd, const char* lpText, const char* lpCaption, UINT uType);
#endif

// The application's standard box: the application title as caption, no owner window.
int AfxMessageBox(const char* lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);

// The application title of the standard boxes.
const char* AfxGetAppName();
