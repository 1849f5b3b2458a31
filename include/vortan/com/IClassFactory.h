#pragma once

// What a plug-in's DllGetClassObject and an in-process registration hand out: the maker of
// objects of one class.

#include "vortan/com/IUnknown.h"

#ifndef _WIN32
// On Windows the platform's own headers declare it (vortan/WinTypes.h takes them in).

class IClassFactory : public IUnknown {
public:
    virtual HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** object) = 0; // slot 3
    virtual HRESULT LockServer(BOOL lock) = 0;                                      // slot 4

protected:
    IClassFactory() = default;
    IClassFactory(const IClassFactory&) = default;
    IClassFactory& operator=(const IClassFactory&) = default;
    ~IClassFactory() = default;
};

#endif

// The entry point every component plug-in exports (C linkage, default visibility).
using DllGetClassObjectFn = HRESULT(REFCLSID clsid, REFIID iid, void** object);
inline constexpr const char* kDllGetClassObjectSymbol = "DllGetClassObject";
