#include "gui/PainterDeviceContext.h"

#include <QPainter>

namespace vortan::gui {
namespace {

COLORREF ToColorRef(const QColor& color) {
    return RGB(static_cast<BYTE>(color.red()), static_cast<BYTE>(color.green()),
               static_cast<BYTE>(color.blue()));
}

} // namespace

QColor PainterDeviceContext::ToQColor(COLORREF color) {
    return {GetRValue(color), GetGValue(color), GetBValue(color)};
}

void PainterDeviceContext::SetSysColors(const QPalette& palette) {
    ui::SetSysColor(COLOR_3DFACE, ToColorRef(palette.color(QPalette::Active, QPalette::Button)));
    ui::SetSysColor(COLOR_3DSHADOW, ToColorRef(palette.color(QPalette::Active, QPalette::Dark)));
    ui::SetSysColor(COLOR_GRAYTEXT,
                    ToColorRef(palette.color(QPalette::Disabled, QPalette::ButtonText)));
    ui::SetSysColor(COLOR_BTNTEXT,
                    ToColorRef(palette.color(QPalette::Active, QPalette::ButtonText)));
    ui::SetSysColor(COLOR_3DHILIGHT, ToColorRef(palette.color(QPalette::Active, QPalette::Light)));
}

void PainterDeviceContext::Begin(QPainter* painter, QPoint origin, const QPalette& palette) {
    m_painter = painter;
    m_origin = origin;
    m_palette = palette;
}

bool PainterDeviceContext::Ready() {
    if (m_painter != nullptr)
        return true;
    if (m_requestRepaint)
        m_requestRepaint();
    return false;
}

QRect PainterDeviceContext::ToQt(const RECT& rect) const {
    return {static_cast<int>(rect.left) + m_origin.x(), static_cast<int>(rect.top) + m_origin.y(),
            static_cast<int>(rect.right - rect.left), static_cast<int>(rect.bottom - rect.top)};
}

void PainterDeviceContext::Rectangle(const RECT& rect, COLORREF pen, COLORREF brush) {
    if (!Ready())
        return;
    const QRect area = ToQt(rect);
    if (area.isEmpty())
        return;
    // The platform's rectangle covers its area with the outline inside it.
    m_painter->fillRect(area, ToQColor(brush));
    m_painter->setPen(QPen(ToQColor(pen), 0));
    m_painter->setBrush(Qt::NoBrush);
    m_painter->drawRect(area.adjusted(0, 0, -1, -1));
}

void PainterDeviceContext::DrawEdge(const RECT& rect, UINT edge, UINT flags) {
    if (!Ready())
        return;
    const QRect area = ToQt(rect);
    if (area.width() < 2 || area.height() < 2 || (flags & BF_RECT) != BF_RECT)
        return;
    // A raised edge: light above and left, dark below and right; the outer line darker and
    // the inner one lighter, as the desktop draws a push button.
    const auto frame = [this](QRect r, const QColor& topLeft, const QColor& bottomRight) {
        m_painter->setPen(QPen(topLeft, 0));
        m_painter->drawLine(r.left(), r.bottom() - 1, r.left(), r.top());
        m_painter->drawLine(r.left(), r.top(), r.right() - 1, r.top());
        m_painter->setPen(QPen(bottomRight, 0));
        m_painter->drawLine(r.right(), r.top(), r.right(), r.bottom());
        m_painter->drawLine(r.left(), r.bottom(), r.right(), r.bottom());
    };
    if ((edge & BDR_RAISEDOUTER) != 0)
        frame(area, m_palette.color(QPalette::Midlight), m_palette.color(QPalette::Shadow));
    if ((edge & BDR_RAISEDINNER) != 0 && area.width() > 3 && area.height() > 3)
        frame(area.adjusted(1, 1, -1, -1), ToQColor(::GetSysColor(COLOR_3DHILIGHT)),
              ToQColor(::GetSysColor(COLOR_3DSHADOW)));
}

void PainterDeviceContext::SetPixel(int x, int y, COLORREF color) {
    if (!Ready())
        return;
    m_painter->setPen(QPen(ToQColor(color), 0));
    m_painter->drawPoint(x + m_origin.x(), y + m_origin.y());
}

void PainterDeviceContext::Ellipse(const RECT& rect, COLORREF pen, COLORREF brush) {
    if (!Ready())
        return;
    const QRect area = ToQt(rect);
    if (area.isEmpty())
        return;
    m_painter->setPen(QPen(ToQColor(pen), 0));
    m_painter->setBrush(ToQColor(brush));
    m_painter->drawEllipse(area.adjusted(0, 0, -1, -1));
    m_painter->setBrush(Qt::NoBrush);
}

} // namespace vortan::gui
