#pragma once

// Late-bound calls: a method or event is named by a DISPID and gets its arguments in a
// DISPPARAMS, last argument first.

#include "vortan/com/IUnknown.h"
#include "vortan/com/Variant.h"

#ifndef _WIN32
// On Windows the platform's own headers declare it (vortan/WinTypes.h takes them in).

struct ITypeInfo; // no type libraries here; only passed through as null

inline constexpr WORD DISPATCH_METHOD = 0x1;
inline constexpr WORD DISPATCH_PROPERTYGET = 0x2;
inline constexpr WORD DISPATCH_PROPERTYPUT = 0x4;
inline constexpr WORD DISPATCH_PROPERTYPUTREF = 0x8;

inline constexpr DISPID DISPID_UNKNOWN = -1;
inline constexpr DISPID DISPID_PROPERTYPUT = -3;

struct DISPPARAMS {
    VARIANT* rgvarg = nullptr; // arguments, rgvarg[0] is the last one
    DISPID* rgdispidNamedArgs = nullptr;
    UINT cArgs = 0;
    UINT cNamedArgs = 0;
};

struct EXCEPINFO {
    WORD wCode = 0;
    WORD wReserved = 0;
    BSTR bstrSource = nullptr;
    BSTR bstrDescription = nullptr;
    BSTR bstrHelpFile = nullptr;
    DWORD dwHelpContext = 0;
    void* pvReserved = nullptr;
    void* pfnDeferredFillIn = nullptr;
    SCODE scode = 0;
};

class IDispatch : public IUnknown {
public:
    virtual HRESULT GetTypeInfoCount(UINT* count) = 0;                          // slot 3
    virtual HRESULT GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) = 0; // slot 4
    virtual HRESULT GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                  DISPID* dispids) = 0; // slot 5
    virtual HRESULT Invoke(DISPID dispid, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                           VARIANT* result, EXCEPINFO* exception,
                           UINT* argError) = 0; // slot 6

protected:
    IDispatch() = default;
    IDispatch(const IDispatch&) = default;
    IDispatch& operator=(const IDispatch&) = default;
    ~IDispatch() = default;
};

#endif
