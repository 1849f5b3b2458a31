#include "platform/ui/DeviceContext.h"

#include <map>
#include <mutex>

namespace vortan::ui {
namespace {

std::mutex g_mutex;
// The desktop's default colours, until a view sets its style's.
std::map<int, COLORREF> g_colors{
    {COLOR_3DFACE, RGB(240, 240, 240)},    {COLOR_3DSHADOW, RGB(160, 160, 160)},
    {COLOR_GRAYTEXT, RGB(109, 109, 109)},  {COLOR_BTNTEXT, RGB(0, 0, 0)},
    {COLOR_3DHILIGHT, RGB(255, 255, 255)},
};
std::map<HWND, IDeviceContext*> g_contexts;

} // namespace

void SetSysColor(int index, COLORREF color) {
    const std::lock_guard lock(g_mutex);
    g_colors[index] = color;
}

void SetWindowDeviceContext(HWND hwnd, IDeviceContext* context) {
    const std::lock_guard lock(g_mutex);
    if (context == nullptr)
        g_contexts.erase(hwnd);
    else
        g_contexts[hwnd] = context;
}

IDeviceContext* GetWindowDeviceContext(HWND hwnd) {
    const std::lock_guard lock(g_mutex);
    const auto it = g_contexts.find(hwnd);
    return it != g_contexts.end() ? it->second : nullptr;
}

} // namespace vortan::ui

DWORD GetSysColor(int index) {
    const std::lock_guard lock(vortan::ui::g_mutex);
    const auto it = vortan::ui::g_colors.find(index);
    return it != vortan::ui::g_colors.end() ? it->second : 0;
}
