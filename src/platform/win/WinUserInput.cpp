#include <algorithm>
#include <cstring>
#include <map>

#include "platform/win/IWindowObserver.h"
#include "platform/win/WinBase.h"
#include "platform/win/WinUser.h"
#include "platform/win/WindowTable.h"

using vortan::win::Window;
using vortan::win::WindowTable;

namespace {

// Input state of the one window thread.
HWND g_capture = nullptr;
std::map<int, bool> g_keysDown;

std::shared_ptr<Window> FindWindow(HWND hwnd) {
    auto window = WindowTable::Instance().Find(hwnd);
    if (!window)
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return window;
}

HWND Live(HWND hwnd) {
    return hwnd != nullptr && IsWindow(hwnd) ? hwnd : nullptr;
}

LONG Width(const RECT& rect) {
    return rect.right - rect.left;
}
LONG Height(const RECT& rect) {
    return rect.bottom - rect.top;
}

} // namespace

HWND SetCapture(HWND hwnd) {
    const HWND previous = Live(g_capture);
    g_capture = Live(hwnd);
    return previous;
}

BOOL ReleaseCapture() {
    g_capture = nullptr;
    return TRUE;
}

HWND GetCapture() {
    return Live(g_capture);
}

SHORT GetKeyState(int virtKey) {
    const auto it = g_keysDown.find(virtKey);
    return it != g_keysDown.end() && it->second ? static_cast<SHORT>(0x8000) : SHORT{0};
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    const auto window = FindWindow(hwnd);
    if (!window)
        return FALSE;
    const RECT oldWindow = window->WindowRect();
    RECT newWindow = oldWindow;
    if ((flags & SWP_NOMOVE) == 0) {
        newWindow.left = x;
        newWindow.top = y;
    }
    newWindow.right = newWindow.left + ((flags & SWP_NOSIZE) == 0 ? cx : Width(oldWindow));
    newWindow.bottom = newWindow.top + ((flags & SWP_NOSIZE) == 0 ? cy : Height(oldWindow));
    const bool sized =
        Width(newWindow) != Width(oldWindow) || Height(newWindow) != Height(oldWindow);
    const bool moved = newWindow.left != oldWindow.left || newWindow.top != oldWindow.top;
    if (!sized && !moved && (flags & SWP_FRAMECHANGED) == 0)
        return TRUE;
    window->SetWindowRect(newWindow);

    // The window decides how much of itself is client area.
    WINDOWPOS pos;
    pos.hwnd = hwnd;
    pos.hwndInsertAfter = insertAfter;
    pos.x = newWindow.left;
    pos.y = newWindow.top;
    pos.cx = Width(newWindow);
    pos.cy = Height(newWindow);
    pos.flags = flags;
    NCCALCSIZE_PARAMS params;
    params.rgrc[0] = newWindow;
    params.rgrc[1] = newWindow;
    params.rgrc[2] = window->ClientArea();
    OffsetRect(&params.rgrc[2], oldWindow.left, oldWindow.top);
    params.lppos = &pos;
    SendMessage(hwnd, WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&params));
    RECT client = params.rgrc[0];
    OffsetRect(&client, -newWindow.left, -newWindow.top);
    window->SetClientArea(client);

    WindowTable::Instance().Notify(
        hwnd, [hwnd](vortan::win::IWindowObserver& observer) { observer.OnFrameChanged(hwnd); });
    if (sized)
        SendMessage(
            hwnd, WM_SIZE, 0,
            MAKELPARAM(static_cast<WORD>(Width(client)), static_cast<WORD>(Height(client))));
    return TRUE;
}

BOOL GetWindowRect(HWND hwnd, LPRECT rect) {
    const auto window = FindWindow(hwnd);
    if (!window || rect == nullptr)
        return FALSE;
    *rect = window->WindowRect();
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, LPRECT rect) {
    const auto window = FindWindow(hwnd);
    if (!window || rect == nullptr)
        return FALSE;
    const RECT& client = window->ClientArea();
    *rect = RECT{0, 0, Width(client), Height(client)};
    return TRUE;
}

BOOL ClientToScreen(HWND hwnd, POINT* point) {
    const auto window = FindWindow(hwnd);
    if (!window || point == nullptr)
        return FALSE;
    point->x += window->WindowRect().left + window->ClientArea().left;
    point->y += window->WindowRect().top + window->ClientArea().top;
    return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT* point) {
    const auto window = FindWindow(hwnd);
    if (!window || point == nullptr)
        return FALSE;
    point->x -= window->WindowRect().left + window->ClientArea().left;
    point->y -= window->WindowRect().top + window->ClientArea().top;
    return TRUE;
}

int GetClassName(HWND hwnd, LPSTR className, int maxCount) {
    const auto window = FindWindow(hwnd);
    if (!window || className == nullptr || maxCount <= 0)
        return 0;
    const char* name = "";
    switch (window->Kind()) {
    case vortan::win::WindowKind::Dialog:
        name = "#32770";
        break;
    case vortan::win::WindowKind::MessageOnly:
        name = "Message";
        break;
    case vortan::win::WindowKind::Static:
    case vortan::win::WindowKind::Icon:
        name = "Static";
        break;
    case vortan::win::WindowKind::Button:
    case vortan::win::WindowKind::GroupBox:
        name = "Button";
        break;
    case vortan::win::WindowKind::Edit:
        name = "Edit";
        break;
    case vortan::win::WindowKind::ProgressBar:
        name = "msctls_progress32";
        break;
    }
    const std::size_t length = std::min<std::size_t>(std::strlen(name), maxCount - 1);
    std::memcpy(className, name, length);
    className[length] = '\0';
    return static_cast<int>(length);
}

BOOL PtInRect(const RECT* rect, POINT point) {
    return rect != nullptr && point.x >= rect->left && point.x < rect->right &&
                   point.y >= rect->top && point.y < rect->bottom
               ? TRUE
               : FALSE;
}

BOOL OffsetRect(LPRECT rect, int dx, int dy) {
    if (rect == nullptr)
        return FALSE;
    rect->left += dx;
    rect->right += dx;
    rect->top += dy;
    rect->bottom += dy;
    return TRUE;
}

BOOL IsRectEmpty(const RECT* rect) {
    return rect == nullptr || rect->right <= rect->left || rect->bottom <= rect->top ? TRUE : FALSE;
}

namespace vortan::win {

void SetKeyState(int virtKey, bool down) {
    g_keysDown[virtKey] = down;
}

RECT GetClientAreaInWindow(HWND hwnd) {
    const auto window = WindowTable::Instance().Find(hwnd);
    return window ? window->ClientArea() : RECT{};
}

bool IsEditReadOnly(HWND hwnd) {
    const auto window = WindowTable::Instance().Find(hwnd);
    return window && window->ReadOnly();
}

std::pair<int, int> GetEditSelection(HWND hwnd) {
    const auto window = WindowTable::Instance().Find(hwnd);
    return window ? std::pair{window->SelectionStart(), window->SelectionEnd()} : std::pair{0, 0};
}

WindowProcedure SubclassWindow(HWND hwnd, WindowProcedure handler) {
    const auto window = FindWindow(hwnd);
    if (!window)
        return {};
    WindowProcedure previous = window->Handler();
    window->SetHandler(std::move(handler));
    return previous;
}

LRESULT CallWindowProcedure(const WindowProcedure& previous, HWND hwnd, UINT message, WPARAM wParam,
                            LPARAM lParam) {
    return previous ? previous(hwnd, message, wParam, lParam)
                    : DefWindowProc(hwnd, message, wParam, lParam);
}

} // namespace vortan::win
