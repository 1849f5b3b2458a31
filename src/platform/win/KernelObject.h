#pragma once

#include "platform/WinDef.h"

namespace vortan::win {

// An object behind a kernel HANDLE. The handle table owns it; closing the handle releases it,
// and whatever the object holds (a lock, a file) goes with it.
class KernelObject {
public:
    KernelObject() = default;
    KernelObject(const KernelObject&) = delete;
    KernelObject& operator=(const KernelObject&) = delete;
    virtual ~KernelObject() = default;

    // Blocks up to `milliseconds` (INFINITE: no limit); WAIT_OBJECT_0 or WAIT_TIMEOUT.
    virtual DWORD Wait(DWORD milliseconds) = 0;
};

} // namespace vortan::win
