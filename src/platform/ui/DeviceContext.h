#pragma once

// Hand drawing into a window: the few calls the browse button of the file edit control needs.
// A view attaches a device context to a window and replays the calls onto its widget; a test
// records them. Coordinates are pixels relative to the window's top-left corner.

#include "platform/WinDef.h"

#ifndef _WIN32
using COLORREF = DWORD;

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
    return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) |
           (static_cast<COLORREF>(b) << 16);
}
constexpr BYTE GetRValue(COLORREF c) {
    return static_cast<BYTE>(c & 0xFF);
}
constexpr BYTE GetGValue(COLORREF c) {
    return static_cast<BYTE>((c >> 8) & 0xFF);
}
constexpr BYTE GetBValue(COLORREF c) {
    return static_cast<BYTE>((c >> 16) & 0xFF);
}

inline constexpr int COLOR_3DFACE = 15;
inline constexpr int COLOR_3DSHADOW = 16;
inline constexpr int COLOR_GRAYTEXT = 17;
inline constexpr int COLOR_BTNTEXT = 18;
inline constexpr int COLOR_3DHILIGHT = 20;

// The desktop's colours; unknown indexes give black. A view may set them from its style.
DWORD GetSysColor(int index);

inline constexpr int PS_SOLID = 0;
inline constexpr UINT BDR_RAISEDOUTER = 0x0001;
inline constexpr UINT BDR_RAISEDINNER = 0x0004;
inline constexpr UINT EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
inline constexpr UINT BF_RECT = 0x000F;

#endif

namespace vortan::ui {

#ifndef _WIN32
void SetSysColor(int index, COLORREF color);
#endif

// The drawing calls. Pens are 1-pixel PS_SOLID; shapes are drawn inside their rectangle
// (right and bottom exclusive), filled with the brush colour.
class IDeviceContext {
public:
    virtual ~IDeviceContext() = default;
    virtual void Rectangle(const RECT& rect, COLORREF pen, COLORREF brush) = 0;
    // A 3-D edge around the rectangle (EDGE_RAISED, BF_RECT) in the desktop's colours.
    virtual void DrawEdge(const RECT& rect, UINT edge, UINT flags) = 0;
    virtual void SetPixel(int x, int y, COLORREF color) = 0;
    // A filled ellipse inscribed in the rectangle.
    virtual void Ellipse(const RECT& rect, COLORREF pen, COLORREF brush) = 0;

protected:
    IDeviceContext() = default;
    IDeviceContext(const IDeviceContext&) = default;
    IDeviceContext& operator=(const IDeviceContext&) = default;
};

// The device context of a whole window (GetWindowDC): what the view attached, or null when no
// view draws the window; then drawing only updates the model's state. Null detaches. On
// Windows a window without an attached context draws through GDI on its window DC.
void SetWindowDeviceContext(HWND hwnd, IDeviceContext* context);
IDeviceContext* GetWindowDeviceContext(HWND hwnd);

} // namespace vortan::ui
