#pragma once

#include "platform/WinDef.h"
#include "platform/win/IWindowObserver.h"

#include <functional>
#include <string_view>

namespace vortan::app {

// Hears every change of the main window while passing it on to the view (or transcript) that
// observed it before, so the bus object can report progress also while a component call
// blocks the loop. Takes itself out again when it ends, if it is still the window's observer;
// it hears the end of the window's children and owned dialogs too, and passes those on only.
class DBusProgressRelay final : public win::IWindowObserver {
public:
    // What changed: a text of the window or of one of its controls, a progress bar, or the
    // window is gone. The values come with it, so nobody reads the window back.
    struct Change {
        enum class Kind { Text, Progress, Gone };
        Kind kind;
        HWND hwnd;
        std::string_view text = {};
        int lower = 0;
        int upper = 0;
        int position = 0;
    };

    DBusProgressRelay(HWND hwnd, std::function<void(const Change&)> changed);
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
    std::function<void(const Change&)> m_changed;
};

} // namespace vortan::app
