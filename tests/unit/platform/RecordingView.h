#pragma once

// A view that writes each change of a dialog's model as one line, naming the window by its
// control id, and the progress window's template it is tried on.

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win/IWindowObserver.h"
#include "platform/win/WinUser.h"
#include "platform/win/WindowModel.h"

namespace vortan::test {

using win::DialogTemplate;
using win::IWindowObserver;
using win::WindowKind;

inline DialogTemplate ProgressTemplate() {
    DialogTemplate t;
    t.id = 102;
    t.cx = 212;
    t.cy = 31;
    t.style = WS_POPUP | WS_CAPTION | WS_VISIBLE | WS_DISABLED;
    t.items = {
        {1004, WindowKind::Static, "Status", 5, 1, 200, 8, SS_LEFT},
        {1000, WindowKind::ProgressBar, "", 5, 12, 200, 14, PBS_SMOOTH | WS_BORDER},
    };
    return t;
}

// Writes each change as one line, naming the window by its control id.
class RecordingView final : public IWindowObserver {
public:
    std::vector<std::string> log;

    void OnTextChanged(HWND hwnd, std::string_view text) override {
        log.push_back(Name(hwnd) + " text " + std::string(text));
    }
    void OnVisibilityChanged(HWND hwnd, bool visible, bool minimized) override {
        log.push_back(Name(hwnd) + (visible ? " shown" : " hidden") +
                      (minimized ? " minimized" : ""));
    }
    void OnEnabledChanged(HWND hwnd, bool enabled) override {
        log.push_back(Name(hwnd) + (enabled ? " enabled" : " disabled"));
    }
    void OnProgressChanged(HWND hwnd, int lower, int upper, int position) override {
        log.push_back(Name(hwnd) + " progress " + std::to_string(lower) + ".." +
                      std::to_string(upper) + " at " + std::to_string(position));
    }
    void OnUpdate(HWND hwnd) override { log.push_back(Name(hwnd) + " update"); }
    void OnDestroyed(HWND hwnd) override {
        log.push_back((m_names.count(hwnd) ? m_names[hwnd] : "?") + " destroyed");
    }

    // The dialog itself is "dialog", a control its id.
    void Remember(HWND hwnd) {
        m_names[hwnd] = GetParent(hwnd) == nullptr ? "dialog" : std::to_string(GetDlgCtrlID(hwnd));
    }

private:
    std::string Name(HWND hwnd) {
        Remember(hwnd);
        return m_names[hwnd];
    }
    std::map<HWND, std::string> m_names;
};

} // namespace vortan::test
