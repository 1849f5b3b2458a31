#pragma once

// The root of every interface. Interfaces are abstract classes without data and without a
// virtual destructor, so their method tables hold exactly the declared methods in order and a
// plug-in's table matches the caller's by position. Objects end through Release, never through
// delete on an interface pointer (hence the protected destructor).

#include "vortan/WinTypes.h"
#include "vortan/com/Guid.h"
#include "vortan/com/HResult.h"

#ifndef _WIN32
// On Windows the platform's own headers declare it (vortan/WinTypes.h takes them in).

class IUnknown {
public:
    virtual HRESULT QueryInterface(REFIID iid, void** object) = 0; // slot 0
    virtual ULONG AddRef() = 0;                                    // slot 1
    virtual ULONG Release() = 0;                                   // slot 2

protected:
    IUnknown() = default;
    IUnknown(const IUnknown&) = default;
    IUnknown& operator=(const IUnknown&) = default;
    ~IUnknown() = default;
};

#endif
