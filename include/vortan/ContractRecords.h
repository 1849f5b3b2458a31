#pragma once

// Records an IController fills for its caller. The caller zeroes them first; sizes and
// offsets are fixed, since they cross between separately built binaries.

#include <cstddef>

#include "vortan/WinTypes.h"

namespace vortan {

// IController::GetErrorInfo: the controller's last error, relayed unchanged to the client.
struct ControllerErrorInfo {
    LONG lCode = 0;
    SHORT nValue1 = 0;
    SHORT nValue2 = 0;
    SHORT nValue3 = 0;
};
static_assert(sizeof(ControllerErrorInfo) == 12);
static_assert(offsetof(ControllerErrorInfo, nValue1) == 4);
static_assert(offsetof(ControllerErrorInfo, nValue3) == 8);

// IController::GetMemoryInfo. VORTAN reads only nFileCount; the other fields are what the
// simulated board reports and are free for other components.
struct MemoryInfo {
    LONG lCapacity = 0; // bytes
    LONG lUsed = 0;     // bytes
    LONG lFree = 0;     // bytes
    SHORT nFileCount = 0;
    SHORT nMaxFileCount = 0;
    LONG lReserved = 0;
};
static_assert(sizeof(MemoryInfo) == 20);
static_assert(offsetof(MemoryInfo, nFileCount) == 12);

// IController::GetFileEntry. The name is allocated by the component (SysAllocString) and
// freed by the caller.
struct FileEntryInfo {
    BSTR bstrName = nullptr;
    LONG lSize = 0; // bytes
};
static_assert(offsetof(FileEntryInfo, bstrName) == 0);
static_assert(offsetof(FileEntryInfo, lSize) == sizeof(BSTR));

} // namespace vortan
