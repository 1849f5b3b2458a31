#include <map>
#include <memory>

#include "platform/ui/DeviceContext.h"

namespace vortan::ui {
namespace {

// Draws on the whole window (GetWindowDC), one DC per call, in the window's own pixels.
class WindowDeviceContext final : public IDeviceContext {
public:
    explicit WindowDeviceContext(HWND hwnd) : m_hWnd(hwnd) {}

    void Rectangle(const RECT& rect, COLORREF pen, COLORREF brush) override {
        Draw(pen, brush,
             [&](HDC dc) { ::Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom); });
    }
    void DrawEdge(const RECT& rect, UINT edge, UINT flags) override {
        Draw(0, 0, [&](HDC dc) {
            RECT copy = rect;
            ::DrawEdge(dc, &copy, edge, flags);
        });
    }
    void SetPixel(int x, int y, COLORREF color) override {
        Draw(0, 0, [&](HDC dc) { ::SetPixel(dc, x, y, color); });
    }
    void Ellipse(const RECT& rect, COLORREF pen, COLORREF brush) override {
        Draw(pen, brush,
             [&](HDC dc) { ::Ellipse(dc, rect.left, rect.top, rect.right, rect.bottom); });
    }

private:
    template <typename Paint>
    void Draw(COLORREF pen, COLORREF brush, Paint paint) {
        const HDC dc = GetWindowDC(m_hWnd);
        if (dc == nullptr)
            return;
        const HPEN newPen = CreatePen(PS_SOLID, 1, pen);
        const HBRUSH newBrush = CreateSolidBrush(brush);
        const HGDIOBJ oldPen = SelectObject(dc, newPen);
        const HGDIOBJ oldBrush = SelectObject(dc, newBrush);
        paint(dc);
        SelectObject(dc, oldBrush);
        SelectObject(dc, oldPen);
        DeleteObject(newBrush);
        DeleteObject(newPen);
        ReleaseDC(m_hWnd, dc);
    }

    HWND m_hWnd;
};

// Window thread only, as drawing is.
std::map<HWND, IDeviceContext*> g_attached;
std::map<HWND, std::unique_ptr<WindowDeviceContext>> g_own;

} // namespace

void SetWindowDeviceContext(HWND hwnd, IDeviceContext* context) {
    if (context == nullptr)
        g_attached.erase(hwnd);
    else
        g_attached[hwnd] = context;
}

IDeviceContext* GetWindowDeviceContext(HWND hwnd) {
    if (const auto it = g_attached.find(hwnd); it != g_attached.end())
        return it->second;
    std::erase_if(g_own, [](const auto& entry) { return IsWindow(entry.first) == FALSE; });
    if (IsWindow(hwnd) == FALSE)
        return nullptr;
    auto& context = g_own[hwnd];
    if (!context)
        context = std::make_unique<WindowDeviceContext>(hwnd);
    return context.get();
}

} // namespace vortan::ui
