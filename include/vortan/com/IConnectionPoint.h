#pragma once

// One outgoing interface of an object: clients advise their sinks here and get a cookie back.

#include "vortan/com/IUnknown.h"

#ifndef _WIN32
// On Windows the platform's own headers declare it (vortan/WinTypes.h takes them in).

class IConnectionPointContainer;
struct IEnumConnections; // not offered: EnumConnections answers E_NOTIMPL

class IConnectionPoint : public IUnknown {
public:
    virtual HRESULT GetConnectionInterface(IID* iid) = 0;                             // slot 3
    virtual HRESULT GetConnectionPointContainer(IConnectionPointContainer** cpc) = 0; // slot 4
    virtual HRESULT Advise(IUnknown* sink, DWORD* cookie) = 0;                        // slot 5
    virtual HRESULT Unadvise(DWORD cookie) = 0;                                       // slot 6
    virtual HRESULT EnumConnections(IEnumConnections** connections) = 0;              // slot 7

protected:
    IConnectionPoint() = default;
    IConnectionPoint(const IConnectionPoint&) = default;
    IConnectionPoint& operator=(const IConnectionPoint&) = default;
    ~IConnectionPoint() = default;
};

#endif
