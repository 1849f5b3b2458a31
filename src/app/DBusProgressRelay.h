#pragma once

#include "platform/WinDef.h"
#include "platform/win/IWindowObserver.h"

#include <functional>

namespace vortan::app {

// Hears every change of the main window while passing it on to the view (or transcript) that
// observed it before, so the bus object can report progress also while a component call
// blocks the loop. Takes itself out again when it ends, if it is still the window's observer;
// it hears the end of the window's children and owned dialogs too, and passes those on only.
class DBusProgressRelay final : public win::IWindowObserver {
public:
    // `changed(false)` after each change of a text or the bar, `changed(true)` when the
    // window is gone.
    DBusProgressRelay(HWND hwnd, std::function<void(bool)> changed);
    ~DBusProgressRelay() override;
    DBusProgressRelay(const DBusProgressRelay&) = delete;
    DBusProgressRelay& operator=(const DBusProgressRelay&) = delete;

    void OnTextChanged(HWND hwnd, std::string_view text) override;
    void OnVisibilityChanged(HWND hwnd, bool visible, bool minimized) override;
    void OnEnabledChanged(HWND hwnd, bool enabled) override;
    void OnProgressChanged(HWND hwnd, int lower, int upper, int position) override;
    void OnIconChanged(HWND hwnd, int iconId) override;
    void OnUpdate(HWND hwnd) override;
    void OnDestroyed(HWND hwnd) override;

private:
    HWND m_hWnd = nullptr;
    win::IWindowObserver* m_pPrevious = nullptr;
    std::function<void(bool)> m_changed;
};

} // namespace vortan::app
