#include "app/ProgressRelay.h"

#include <utility>

#include "platform/win/WindowModel.h"

namespace vortan::app {

ProgressRelay::ProgressRelay(HWND hwnd, std::function<void(const Change&)> changed)
    : m_changed(std::move(changed)) {
    if (win::AddWindowObserver(hwnd, this))
        m_hWnd = hwnd;
}

ProgressRelay::~ProgressRelay() {
    if (m_hWnd != nullptr)
        win::RemoveWindowObserver(m_hWnd, this);
}

void ProgressRelay::OnTextChanged(HWND hwnd, std::string_view text) {
    m_changed({.kind = Change::Kind::Text, .hwnd = hwnd, .text = text});
}

void ProgressRelay::OnProgressChanged(HWND hwnd, int lower, int upper, int position) {
    m_changed({.kind = Change::Kind::Progress,
               .hwnd = hwnd,
               .lower = lower,
               .upper = upper,
               .position = position});
}

void ProgressRelay::OnDestroyed(HWND hwnd) {
    // The window's children and owned dialogs (the overwrite question) report here too.
    if (hwnd != m_hWnd)
        return;
    m_hWnd = nullptr;
    m_changed({.kind = Change::Kind::Gone, .hwnd = hwnd});
}

} // namespace vortan::app
