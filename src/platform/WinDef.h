#pragma once

// The rest of the platform's vocabulary that only the program itself uses: module, icon, menu
// and kernel object handles, and geometry. The scalars and window handles that plug-ins and
// clients share are public (vortan/WinTypes.h). On Windows all of it is <windows.h>'s.

#include "vortan/WinTypes.h"

#ifndef _WIN32
#include <cstddef>

// A module handle; this platform has one module, so it is always null.
struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;

// An icon handle carries the icon's resource id (system icons have ids of their own); icons
// are shared and never destroyed.
struct HICON__;
using HICON = HICON__*;

inline constexpr std::size_t MAX_PATH = 260;

// A menu handle; the only menus of this platform are the windows' system menus, so it names
// the window whose menu it is.
struct HMENU__;
using HMENU = HMENU__*;

// A kernel object handle (event, mutex) names an entry of the process's handle table.
using HANDLE = void*;

struct POINT {
    LONG x = 0;
    LONG y = 0;
};

// A rectangle in pixels; right and bottom are one past the last pixel.
struct RECT {
    LONG left = 0;
    LONG top = 0;
    LONG right = 0;
    LONG bottom = 0;
};
using LPRECT = RECT*;
using LPCRECT = const RECT*;

#endif
