#pragma once

// BSTR: UTF-16 characters preceded by their length in bytes (32 bits) and followed by a zero
// character, laid out as on the platform so a BSTR can cross to a component unchanged.
// The length prefix, not the terminator, ends the string: embedded NULs are allowed.

#include "vortan/WinTypes.h"

#ifndef _WIN32
// On Windows the platform's own headers declare it (vortan/WinTypes.h takes them in).

// Copies a zero-terminated string; null in gives null out.
BSTR SysAllocString(const OLECHAR* text) noexcept;
// Copies `length` characters of `text`, or leaves them zero when `text` is null.
BSTR SysAllocStringLen(const OLECHAR* text, UINT length) noexcept;
// Null is allowed.
void SysFreeString(BSTR text) noexcept;
// Characters, from the prefix; 0 for null.
UINT SysStringLen(BSTR text) noexcept;

#endif
