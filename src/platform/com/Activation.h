#pragma once

// Object creation by class id. A class is looked up first among the class objects registered
// in this process, then in the class registry files (ClassRegistry::SearchPath()), whose
// plug-ins are in-process servers loaded once and kept (PluginCache).

#include "vortan/com/IUnknown.h"

#ifndef _WIN32
// On Windows these are ole32's own (vortan/WinTypes.h takes them in): classes are found
// through the system registry, in-process servers under HKLM\Software\Classes\CLSID.

inline constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
inline constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
inline constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
inline constexpr DWORD CLSCTX_REMOTE_SERVER = 0x10;
inline constexpr DWORD CLSCTX_SERVER = 0x15;
inline constexpr DWORD CLSCTX_ALL = 0x17;

inline constexpr DWORD REGCLS_SINGLEUSE = 0;
inline constexpr DWORD REGCLS_MULTIPLEUSE = 1;
inline constexpr DWORD REGCLS_MULTI_SEPARATE = 2;

// Not registered: REGDB_E_CLASSNOTREG. An outer object: CLASS_E_NOAGGREGATION. No server
// context bit in `context`: E_INVALIDARG. Plug-in failures: see PluginCache.
HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void* reserved, REFIID iid, void** object);
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** object);

// REGCLS_SINGLEUSE registrations serve one activation; the registration itself stays until
// revoked. Revoking an unknown cookie: E_INVALIDARG.
HRESULT CoRegisterClassObject(REFCLSID clsid, IUnknown* classObject, DWORD context, DWORD flags,
                              DWORD* cookie);
HRESULT CoRevokeClassObject(DWORD cookie);

// Objects here run as soon as they exist: S_OK for any object, E_INVALIDARG for null.
HRESULT OleRun(IUnknown* object);

#endif
