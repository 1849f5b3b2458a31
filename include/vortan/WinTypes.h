#pragma once

// The platform's scalar vocabulary, with the sizes that cross between separately built
// binaries: the program, its plug-ins and its clients. These live in the global namespace, as
// the platform's own headers put them, so that code compiles unchanged against either platform.

#ifdef _WIN32
// The platform's own headers define all of it; min and max stay the standard library's.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// BSTR, VARIANT, IUnknown, IDispatch and the COM calls.
#include <ole2.h>
#else

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
using INT_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;

using LPSTR = char*;
using LPCSTR = const char*;

using OLECHAR = char16_t; // 16-bit on every platform: BSTRs cross to components unchanged
// A literal of OLECHARs, as the platform spells it.
#define OLESTR(str) u##str
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

#endif
