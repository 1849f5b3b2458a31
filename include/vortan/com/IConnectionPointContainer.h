#pragma once

// An object with outgoing interfaces hands out their connection points by interface id.

#include "vortan/com/IUnknown.h"

#ifndef _WIN32
// On Windows the platform's own headers declare it (vortan/WinTypes.h takes them in).

class IConnectionPoint;
struct IEnumConnectionPoints; // not offered: EnumConnectionPoints answers E_NOTIMPL

class IConnectionPointContainer : public IUnknown {
public:
    virtual HRESULT EnumConnectionPoints(IEnumConnectionPoints** points) = 0;      // slot 3
    virtual HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** point) = 0; // slot 4

protected:
    IConnectionPointContainer() = default;
    IConnectionPointContainer(const IConnectionPointContainer&) = default;
    IConnectionPointContainer& operator=(const IConnectionPointContainer&) = default;
    ~IConnectionPointContainer() = default;
};

#endif
