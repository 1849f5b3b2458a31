#pragma once

// What an event sink needs from its owner: the window that receives the notifications. The
// owners (CCtrlAccess, CFlashObserverAccess) implement it, so a sink knows nothing else of them.

#include "platform/WinDef.h"

namespace vortan::controller {

class INotifyTarget {
public:
    // Null while the owner has no window; the sink then delivers nothing.
    virtual HWND NotifyWindow() const noexcept = 0;

protected:
    INotifyTarget() = default;
    INotifyTarget(const INotifyTarget&) = default;
    INotifyTarget& operator=(const INotifyTarget&) = default;
    ~INotifyTarget() = default;
};

} // namespace vortan::controller
