#include "platform/win/Window.h"

#include <algorithm>

#include "platform/win/WinUser.h"

namespace vortan::win {

Window::Window(HWND handle, HWND parent, WindowKind kind, int id, DWORD style)
    : m_handle(handle), m_parent(parent), m_kind(kind), m_id(id), m_style(style),
      m_enabled((style & WS_DISABLED) == 0) {}

bool Window::IsDefaultButton() const {
    return m_kind == WindowKind::Button && (m_style & BS_DEFPUSHBUTTON) != 0;
}

void Window::SetShowState(bool visible, bool minimized) {
    m_visible = visible;
    m_minimized = minimized;
}

void Window::SetRange(int lower, int upper) {
    m_lower = lower;
    m_upper = upper;
    SetPosition(m_position);
}

void Window::SetPosition(int position) {
    m_position = m_lower <= m_upper ? std::clamp(position, m_lower, m_upper) : m_lower;
}

void Window::SetGeometry(int x, int y, int cx, int cy) {
    m_x = x;
    m_y = y;
    m_cx = cx;
    m_cy = cy;
}

void Window::RemoveChild(HWND child) {
    std::erase(m_children, child);
}

void Window::SetFont(std::string name, int pointSize) {
    m_fontName = std::move(name);
    m_fontPointSize = pointSize;
}

} // namespace vortan::win
