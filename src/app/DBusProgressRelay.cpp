#include "app/DBusProgressRelay.h"

#include "platform/win/WindowModel.h"
#include "platform/win/WindowTable.h"

#include <utility>

namespace vortan::app {

DBusProgressRelay::DBusProgressRelay(HWND hwnd, std::function<void(const Change&)> changed)
    : m_changed(std::move(changed)) {
    if (hwnd == nullptr || !win::WindowTable::Instance().Find(hwnd))
        return;
    m_hWnd = hwnd;
    m_pPrevious = win::WindowTable::Instance().ObserverFor(hwnd);
    win::SetWindowObserver(hwnd, this);
}

DBusProgressRelay::~DBusProgressRelay() {
    if (m_hWnd != nullptr && win::WindowTable::Instance().ObserverFor(m_hWnd) == this)
        win::SetWindowObserver(m_hWnd, m_pPrevious);
}

void DBusProgressRelay::OnTextChanged(HWND hwnd, std::string_view text) {
    if (m_pPrevious != nullptr)
        m_pPrevious->OnTextChanged(hwnd, text);
    m_changed({.kind = Change::Kind::Text, .hwnd = hwnd, .text = text});
}

void DBusProgressRelay::OnVisibilityChanged(HWND hwnd, bool visible, bool minimized) {
    if (m_pPrevious != nullptr)
        m_pPrevious->OnVisibilityChanged(hwnd, visible, minimized);
}

void DBusProgressRelay::OnEnabledChanged(HWND hwnd, bool enabled) {
    if (m_pPrevious != nullptr)
        m_pPrevious->OnEnabledChanged(hwnd, enabled);
}

void DBusProgressRelay::OnProgressChanged(HWND hwnd, int lower, int upper, int position) {
    if (m_pPrevious != nullptr)
        m_pPrevious->OnProgressChanged(hwnd, lower, upper, position);
    m_changed({.kind = Change::Kind::Progress,
               .hwnd = hwnd,
               .lower = lower,
               .upper = upper,
               .position = position});
}

void DBusProgressRelay::OnIconChanged(HWND hwnd, int iconId) {
    if (m_pPrevious != nullptr)
        m_pPrevious->OnIconChanged(hwnd, iconId);
}

void DBusProgressRelay::OnUpdate(HWND hwnd) {
    if (m_pPrevious != nullptr)
        m_pPrevious->OnUpdate(hwnd);
}

void DBusProgressRelay::OnDestroyed(HWND hwnd) {
    // The window's children and owned dialogs (the overwrite question) report here too; only
    // the window's own end detaches the relay.
    if (hwnd != m_hWnd) {
        if (m_pPrevious != nullptr)
            m_pPrevious->OnDestroyed(hwnd);
        return;
    }
    win::IWindowObserver* previous = m_pPrevious;
    m_pPrevious = nullptr;
    m_hWnd = nullptr;
    if (previous != nullptr)
        previous->OnDestroyed(hwnd);
    m_changed({.kind = Change::Kind::Gone, .hwnd = hwnd});
}

} // namespace vortan::app
