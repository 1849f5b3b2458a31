#pragma once

#include <functional>

#include <QPalette>
#include <QPoint>

#include "platform/ui/DeviceContext.h"

class QPainter;

namespace vortan::gui {

// Replays a window's drawing calls onto a QPainter. The platform draws at any time, Qt only
// inside a paint event: outside one, a call only asks for a repaint (`requestRepaint`), and the
// repaint lets the window draw its stored state again (WM_NCPAINT) while a painter is attached.
class PainterDeviceContext final : public ui::IDeviceContext {
public:
    explicit PainterDeviceContext(std::function<void()> requestRepaint)
        : m_requestRepaint(std::move(requestRepaint)) {}

    // The painter of the current paint event, null after it; `origin` is where the window's
    // top-left corner lies in the painter's coordinates. The palette gives the edge colours
    // the desktop has no system colour index for here.
    void Begin(QPainter* painter, QPoint origin, const QPalette& palette);
    void End() { m_painter = nullptr; }

    void Rectangle(const RECT& rect, COLORREF pen, COLORREF brush) override;
    void DrawEdge(const RECT& rect, UINT edge, UINT flags) override;
    void SetPixel(int x, int y, COLORREF color) override;
    void Ellipse(const RECT& rect, COLORREF pen, COLORREF brush) override;

    // The colour of a COLORREF.
    static QColor ToQColor(COLORREF color);
    // The system colours of a palette: face, shadow, grey text, button text, highlight.
    static void SetSysColors(const QPalette& palette);

private:
    bool Ready();
    QRect ToQt(const RECT& rect) const;

    std::function<void()> m_requestRepaint;
    QPainter* m_painter = nullptr;
    QPoint m_origin;
    QPalette m_palette;
};

} // namespace vortan::gui
