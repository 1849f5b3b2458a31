#pragma once

#include <functional>
#include <string_view>

#include "platform/WinDef.h"
#include "platform/win/IWindowObserver.h"

namespace vortan::app {

// Hears every change of the main window, next to its view or transcript, so the automation
// object can report progress also while a component call blocks the loop. It hears the end of
// the window's children and owned dialogs too, and reports only the window's own end.
class ProgressRelay final : public win::IWindowObserver {
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

    ProgressRelay(HWND hwnd, std::function<void(const Change&)> changed);
    ~ProgressRelay() override;
    ProgressRelay(const ProgressRelay&) = delete;
    ProgressRelay& operator=(const ProgressRelay&) = delete;

    void OnTextChanged(HWND hwnd, std::string_view text) override;
    void OnProgressChanged(HWND hwnd, int lower, int upper, int position) override;
    void OnDestroyed(HWND hwnd) override;

private:
    HWND m_hWnd = nullptr;
    std::function<void(const Change&)> m_changed;
};

} // namespace vortan::app
