#pragma once

// The platform's scalar vocabulary, with the sizes subsystem code relies on. These live in the
// global namespace, as the platform's own headers put them, so that subsystem code compiles
// unchanged against either platform.

#include <cstddef>
#include <cstdint>

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using SHORT = std::int16_t;
using USHORT = std::uint16_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using HRESULT = std::int32_t;

using LPSTR = char*;
using LPCSTR = const char*;

using OLECHAR = char16_t; // 16-bit on every platform: BSTRs cross to components unchanged
using BSTR = OLECHAR*;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;

using VARIANT_BOOL = std::int16_t;
inline constexpr VARIANT_BOOL VARIANT_TRUE = -1;
inline constexpr VARIANT_BOOL VARIANT_FALSE = 0;

using DISPID = LONG;
using LCID = DWORD;

#ifndef TRUE
inline constexpr BOOL TRUE = 1;
#endif
#ifndef FALSE
inline constexpr BOOL FALSE = 0;
#endif

// A window handle names an entry of the window model; it is never dereferenced by callers.
struct HWND__;
using HWND = HWND__*;

// A module handle; this platform has one module, so it is always null.
struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;

// An icon handle carries the icon's resource id (system icons have ids of their own); icons
// are shared and never destroyed.
struct HICON__;
using HICON = HICON__*;

inline constexpr std::size_t MAX_PATH = 260;

using INT_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;

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
