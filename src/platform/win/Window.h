#pragma once

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "platform/WinDef.h"
#include "platform/win/WindowKind.h"
#include "vortan/win/MessageWindow.h"

namespace vortan::win {

class IWindowObserver;

// An entry of a window's system menu; id 0 with no text is a separator.
struct MenuItem {
    UINT_PTR id = 0;
    std::string text; // UTF-8
    bool separator = false;
};

// One window of the model: the state a view draws. Subsystem code does not change it directly
// but through the platform calls (SetWindowText, ShowWindow, ...), which tell the observer.
class Window final {
public:
    Window(HWND handle, HWND parent, WindowKind kind, int id, DWORD style);

    HWND Handle() const { return m_handle; }
    HWND Parent() const { return m_parent; }
    WindowKind Kind() const { return m_kind; }
    int Id() const { return m_id; }
    DWORD Style() const { return m_style; }
    bool IsDefaultButton() const;

    const WindowHandler& Handler() const { return m_handler; }
    void SetHandler(WindowHandler handler) { m_handler = std::move(handler); }

    const std::string& Text() const { return m_text; }
    void SetText(std::string text) { m_text = std::move(text); }

    bool Visible() const { return m_visible; }
    bool Minimized() const { return m_minimized; }
    void SetShowState(bool visible, bool minimized);
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool enabled) { m_enabled = enabled; }

    // The picture of an icon control: an icon resource id, 0 for none.
    int IconId() const { return m_iconId; }
    void SetIconId(int iconId) { m_iconId = iconId; }

    int RangeLower() const { return m_lower; }
    int RangeUpper() const { return m_upper; }
    int Position() const { return m_position; }
    void SetRange(int lower, int upper);
    // Clamped to the range, as the progress bar does.
    void SetPosition(int position);

    // Geometry in dialog units, and the font the units refer to.
    int X() const { return m_x; }
    int Y() const { return m_y; }
    int Width() const { return m_cx; }
    int Height() const { return m_cy; }
    void SetGeometry(int x, int y, int cx, int cy);
    const std::string& FontName() const { return m_fontName; }
    int FontPointSize() const { return m_fontPointSize; }
    void SetFont(std::string name, int pointSize);

    const std::vector<MenuItem>& SystemMenu() const { return m_systemMenu; }
    void AppendSystemMenuItem(MenuItem item) { m_systemMenu.push_back(std::move(item)); }

    // Controls in creation order, which is the tab order.
    const std::vector<HWND>& Children() const { return m_children; }
    void AddChild(HWND child) { m_children.push_back(child); }

    // Set while DestroyWindow runs, so that a handler destroying the window again is harmless.
    bool Destroying() const { return m_destroying; }
    void SetDestroying() { m_destroying = true; }
    void RemoveChild(HWND child);

    // Pixel geometry the view gave (SetWindowPos), and the client area inside it relative to
    // the window's top-left corner, as the last WM_NCCALCSIZE left it.
    const RECT& WindowRect() const { return m_rcWindow; }
    void SetWindowRect(const RECT& rect) { m_rcWindow = rect; }
    const RECT& ClientArea() const { return m_rcClient; }
    void SetClientArea(const RECT& rect) { m_rcClient = rect; }

    // Edit controls: read-only mark and selection.
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly) { m_readOnly = readOnly; }
    int SelectionStart() const { return m_selStart; }
    int SelectionEnd() const { return m_selEnd; }
    void SetSelection(int start, int end) {
        m_selStart = start;
        m_selEnd = end;
    }

    // In the order they came; an observer is listed once.
    const std::vector<IWindowObserver*>& Observers() const { return m_observers; }
    void AddObserver(IWindowObserver* observer) {
        if (std::find(m_observers.begin(), m_observers.end(), observer) == m_observers.end())
            m_observers.push_back(observer);
    }
    bool RemoveObserver(IWindowObserver* observer) {
        return std::erase(m_observers, observer) != 0;
    }

private:
    HWND m_handle = nullptr;
    HWND m_parent = nullptr;
    WindowKind m_kind = WindowKind::Static;
    int m_id = 0;
    DWORD m_style = 0;
    WindowHandler m_handler;
    std::string m_text;
    bool m_visible = false;
    bool m_minimized = false;
    bool m_enabled = true;
    int m_lower = 0;
    int m_upper = 100;
    int m_position = 0;
    int m_iconId = 0;
    int m_x = 0;
    int m_y = 0;
    int m_cx = 0;
    int m_cy = 0;
    std::string m_fontName;
    int m_fontPointSize = 0;
    std::vector<HWND> m_children;
    std::vector<MenuItem> m_systemMenu;
    bool m_destroying = false;
    RECT m_rcWindow;
    RECT m_rcClient;
    bool m_readOnly = false;
    int m_selStart = 0;
    int m_selEnd = 0;
    std::vector<IWindowObserver*> m_observers;
};

} // namespace vortan::win
