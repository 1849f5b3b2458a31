#pragma once

// VARIANT: a tagged value as the platform lays it out (type word, three reserved words, then
// the value), holding the types that automation calls and events carry here.

#include "vortan/WinTypes.h"
#include "vortan/com/HResult.h"

#ifndef _WIN32
// On Windows the platform's own headers declare it (vortan/WinTypes.h takes them in).

class IUnknown;
class IDispatch;
struct VARIANT;

using VARTYPE = USHORT;

inline constexpr VARTYPE VT_EMPTY = 0;
inline constexpr VARTYPE VT_NULL = 1;
inline constexpr VARTYPE VT_I2 = 2;
inline constexpr VARTYPE VT_I4 = 3;
inline constexpr VARTYPE VT_BSTR = 8;
inline constexpr VARTYPE VT_DISPATCH = 9;
inline constexpr VARTYPE VT_ERROR = 10;
inline constexpr VARTYPE VT_BOOL = 11;
inline constexpr VARTYPE VT_VARIANT = 12;
inline constexpr VARTYPE VT_UNKNOWN = 13;
inline constexpr VARTYPE VT_BYREF = 0x4000;
inline constexpr VARTYPE VT_TYPEMASK = 0x0FFF;

struct VARIANT {
    // Sizes the value part as on the platform (two pointers) and zeroes all of it.
    struct Record {
        void* pvRecord;
        void* pRecInfo;
    };

    VARTYPE vt = VT_EMPTY;
    WORD wReserved1 = 0;
    WORD wReserved2 = 0;
    WORD wReserved3 = 0;
    union {
        Record record = {nullptr, nullptr};
        LONG lVal;
        SHORT iVal;
        VARIANT_BOOL boolVal;
        SCODE scode;
        BSTR bstrVal;
        IUnknown* punkVal;
        IDispatch* pdispVal;
        SHORT* piVal;
        LONG* plVal;
        VARIANT_BOOL* pboolVal;
        BSTR* pbstrVal;
        VARIANT* pvarVal;
        void* byref;
    };
};
static_assert(sizeof(VARIANT) == 8 + 2 * sizeof(void*));

// Frees what the VARIANT owns (a BSTR, an interface reference; BYREF targets are not owned)
// and leaves it VT_EMPTY. Unknown types: DISP_E_BADVARTYPE, nothing freed.
HRESULT VariantClear(VARIANT* v) noexcept;
// Clears dest, then copies src deeply (BSTRs duplicated, interfaces AddRef'ed; BYREF copies the
// pointer). On failure dest is left VT_EMPTY.
HRESULT VariantCopy(VARIANT* dest, const VARIANT* src) noexcept;
// Converts src (a BYREF form is read through) to `type` (VT_I2, VT_I4, VT_BOOL, VT_BSTR; or
// its own type) into dest, which may be src. Texts convert when they hold a decimal integer
// between optional blanks (booleans also accept "True"/"False"); otherwise
// DISP_E_TYPEMISMATCH. Values out of the target's range: DISP_E_OVERFLOW. VT_EMPTY converts
// to 0, FALSE or "". On failure dest is unchanged. No caller here needs `flags`: ignored.
HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, USHORT flags, VARTYPE type) noexcept;

#endif
