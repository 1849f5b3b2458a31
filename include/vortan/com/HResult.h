#pragma once

// Result codes of the platform's COM layer, with the values of the platform itself, so codes
// that reach a client or a message box read the same as on Windows.

#include <cstdint>
#include <string>

#include "vortan/WinTypes.h"

constexpr HRESULT MakeHResult(std::uint32_t bits) noexcept {
    return static_cast<HRESULT>(bits);
}

// "0x80004005": how codes are shown to people, in messages and outputs.
std::string FormatHResult(HRESULT hr);

#ifdef _WIN32
// The platform's own definitions, the connection point codes among them.
#include <olectl.h>
#else

using SCODE = LONG;

constexpr bool SUCCEEDED(HRESULT hr) noexcept {
    return hr >= 0;
}
constexpr bool FAILED(HRESULT hr) noexcept {
    return hr < 0;
}

// Win32 error codes map into the FACILITY_WIN32 range; 0 stays success.
constexpr HRESULT HRESULT_FROM_WIN32(DWORD error) noexcept {
    return static_cast<LONG>(error) <= 0 ? static_cast<HRESULT>(error)
                                         : MakeHResult((error & 0xFFFFu) | 0x80070000u);
}

inline constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
inline constexpr DWORD ERROR_MOD_NOT_FOUND = 126;
inline constexpr DWORD ERROR_BAD_PATHNAME = 161;
inline constexpr DWORD ERROR_PROC_NOT_FOUND = 127;

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = MakeHResult(0x80004001);
inline constexpr HRESULT E_NOINTERFACE = MakeHResult(0x80004002);
inline constexpr HRESULT E_POINTER = MakeHResult(0x80004003);
inline constexpr HRESULT E_FAIL = MakeHResult(0x80004005);
inline constexpr HRESULT E_UNEXPECTED = MakeHResult(0x8000FFFF);
inline constexpr HRESULT E_ACCESSDENIED = MakeHResult(0x80070005);
inline constexpr HRESULT E_OUTOFMEMORY = MakeHResult(0x8007000E);
inline constexpr HRESULT E_INVALIDARG = MakeHResult(0x80070057);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = MakeHResult(0x80040154);
inline constexpr HRESULT CLASS_E_NOAGGREGATION = MakeHResult(0x80040110);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = MakeHResult(0x80040111);
inline constexpr HRESULT CO_E_CLASSSTRING = MakeHResult(0x800401F3);
inline constexpr HRESULT CO_E_DLLNOTFOUND = MakeHResult(0x800401F8);
inline constexpr HRESULT CO_E_ERRORINDLL = MakeHResult(0x800401F9);
inline constexpr HRESULT DISP_E_UNKNOWNINTERFACE = MakeHResult(0x80020001);
inline constexpr HRESULT DISP_E_MEMBERNOTFOUND = MakeHResult(0x80020003);
inline constexpr HRESULT DISP_E_PARAMNOTFOUND = MakeHResult(0x80020004);
inline constexpr HRESULT DISP_E_TYPEMISMATCH = MakeHResult(0x80020005);
inline constexpr HRESULT DISP_E_UNKNOWNNAME = MakeHResult(0x80020006);
inline constexpr HRESULT DISP_E_BADVARTYPE = MakeHResult(0x80020008);
inline constexpr HRESULT DISP_E_EXCEPTION = MakeHResult(0x80020009);
inline constexpr HRESULT DISP_E_OVERFLOW = MakeHResult(0x8002000A);
inline constexpr HRESULT DISP_E_BADPARAMCOUNT = MakeHResult(0x8002000E);
inline constexpr HRESULT RPC_E_CALL_REJECTED = MakeHResult(0x80010001);
inline constexpr HRESULT CONNECT_E_NOCONNECTION = MakeHResult(0x80040200);
inline constexpr HRESULT CONNECT_E_ADVISELIMIT = MakeHResult(0x80040201);
inline constexpr HRESULT CONNECT_E_CANNOTCONNECT = MakeHResult(0x80040202);

// Win32 codes keep their low word in the FACILITY_WIN32 range; success stays success.
static_assert(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) == MakeHResult(0x80070002));
static_assert(HRESULT_FROM_WIN32(0) == S_OK && SUCCEEDED(S_FALSE) && FAILED(E_FAIL));

#endif
