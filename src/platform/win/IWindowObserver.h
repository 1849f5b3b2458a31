#pragma once

#include <string_view>

#include "platform/WinDef.h"

namespace vortan::win {

// What a view needs to keep its drawing of a window in step with the model. An observer set
// on a top-level window hears about the window and all its controls; `hwnd` says which.
// Calls come on the window thread, after the model changed. Every method has an empty
// default so a view overrides only what it draws.
class IWindowObserver {
public:
    virtual ~IWindowObserver() = default;

    virtual void OnTextChanged(HWND hwnd, std::string_view text);
    virtual void OnVisibilityChanged(HWND hwnd, bool visible, bool minimized);
    virtual void OnEnabledChanged(HWND hwnd, bool enabled);
    virtual void OnProgressChanged(HWND hwnd, int lower, int upper, int position);
    // An icon control shows another icon (resource id, 0 for none).
    virtual void OnIconChanged(HWND hwnd, int iconId);
    // UpdateWindow: draw now rather than when the loop next gets to it.
    virtual void OnUpdate(HWND hwnd);
    // The window's pixel geometry or its client area changed (SetWindowPos).
    virtual void OnFrameChanged(HWND hwnd);
    // The window is gone; its handle is already invalid. The observer is detached after this.
    virtual void OnDestroyed(HWND hwnd);

protected:
    IWindowObserver() = default;
    IWindowObserver(const IWindowObserver&) = default;
    IWindowObserver& operator=(const IWindowObserver&) = default;
};

} // namespace vortan::win
