#pragma once

// Interface and class identifiers. The byte layout is the platform's, so a GUID in a
// component's memory compares equal to the same GUID here.

#include <optional>
#include <string>
#include <string_view>

#include "vortan/WinTypes.h"

#ifndef _WIN32
// On Windows the platform defines these, the interface ids in its uuid library.

struct GUID {
    DWORD Data1 = 0;
    WORD Data2 = 0;
    WORD Data3 = 0;
    BYTE Data4[8] = {};
};
static_assert(sizeof(GUID) == 16);

using IID = GUID;
using CLSID = GUID;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

bool operator==(const GUID& a, const GUID& b) noexcept;

inline constexpr IID IID_NULL{};
inline constexpr IID IID_IUnknown{
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IClassFactory{
    0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IDispatch{
    0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IConnectionPointContainer{
    0xB196B284, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
inline constexpr IID IID_IConnectionPoint{
    0xB196B286, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};

#endif

namespace vortan::com {

// Accepts "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" with or without the braces, hex digits in
// either case; anything else (blanks, missing or extra digits, one brace) is rejected.
std::optional<GUID> ParseGuid(std::string_view text);

// The registry form: upper case, with braces.
std::string FormatGuid(const GUID& guid);

} // namespace vortan::com
