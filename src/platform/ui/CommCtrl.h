#pragma once

// The tooltip's request for a text (WM_NOTIFY with TTN_NEEDTEXTA to the window that owns the
// tool). A view asks a control this way which tip to show over a tool of it.

#include "platform/WinDef.h"
#include "platform/win/WinUser.h"

#ifndef _WIN32 // <commctrl.h>, through WinUser.h
inline constexpr UINT TTN_FIRST = 0U - 520U;
inline constexpr UINT TTN_GETDISPINFOA = TTN_FIRST - 0;
inline constexpr UINT TTN_NEEDTEXTA = TTN_GETDISPINFOA;
inline const LPSTR LPSTR_TEXTCALLBACKA = reinterpret_cast<LPSTR>(static_cast<std::intptr_t>(-1));

// hdr.idFrom names the tool. The answer is lpszText, or the text copied into szText.
struct NMTTDISPINFOA {
    NMHDR hdr;
    LPSTR lpszText = nullptr;
    char szText[80] = {};
    HINSTANCE hinst = nullptr;
    UINT uFlags = 0;
    LPARAM lParam = 0;
};
using LPNMTTDISPINFOA = NMTTDISPINFOA*;
#endif
