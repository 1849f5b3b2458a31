#include <cstring>
#include <string>

#include "platform/win/WinUser.h"
#include "platform/win/WindowHookWin32.h"
#include "vortan/text/Utf.h"

namespace {

// Copies as much of `text` as fits with its terminating zero, never cutting a character.
int CopyText(const std::string& text, char* buffer, int size) {
    if (buffer == nullptr || size <= 0)
        return 0;
    const std::size_t length =
        vortan::text::Utf8PrefixLength(text, static_cast<std::size_t>(size) - 1);
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return static_cast<int>(length);
}

} // namespace

BOOL VortanSetWindowText(HWND hwnd, const char* text) {
    return SetWindowTextW(hwnd, vortan::text::Utf8ToUtf16(text != nullptr ? text : "").c_str());
}

int VortanGetWindowText(HWND hwnd, char* buffer, int maxCount) {
    return CopyText(vortan::win::WindowTextUtf8(hwnd), buffer, maxCount);
}

int VortanGetWindowTextLength(HWND hwnd) {
    return static_cast<int>(vortan::win::WindowTextUtf8(hwnd).size());
}

BOOL VortanSetDlgItemText(HWND dialog, int id, const char* text) {
    const HWND control = GetDlgItem(dialog, id);
    return control != nullptr ? VortanSetWindowText(control, text) : FALSE;
}

UINT VortanGetDlgItemText(HWND dialog, int id, char* buffer, int maxCount) {
    const HWND control = GetDlgItem(dialog, id);
    if (control == nullptr) {
        CopyText({}, buffer, maxCount);
        return 0;
    }
    return static_cast<UINT>(VortanGetWindowText(control, buffer, maxCount));
}

LRESULT VortanDefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (vortan::win::IsHooked(hwnd))
        return vortan::win::CallOwnProcedure(hwnd, message, wParam, lParam);
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

HICON VortanLoadIcon(HINSTANCE instance, LPCSTR name) {
    constexpr std::uintptr_t kFirstSystemIcon = 32512;
    const auto id = reinterpret_cast<std::uintptr_t>(name);
    if (instance == nullptr && IS_INTRESOURCE(name) && id < kFirstSystemIcon)
        instance = GetModuleHandleW(nullptr); // the program's resources (resources/)
    return LoadIconA(instance, name);
}

namespace vortan::win {

RECT GetClientAreaInWindow(HWND hwnd) {
    RECT window{};
    RECT client{};
    if (!::GetWindowRect(hwnd, &window) || !::GetClientRect(hwnd, &client))
        return {};
    POINT origin{0, 0};
    ::ClientToScreen(hwnd, &origin);
    OffsetRect(&client, origin.x - window.left, origin.y - window.top);
    return client;
}

bool IsEditReadOnly(HWND hwnd) {
    return (GetWindowLongPtrW(hwnd, GWL_STYLE) & ES_READONLY) != 0;
}

std::pair<int, int> GetEditSelection(HWND hwnd) {
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {static_cast<int>(start), static_cast<int>(end)};
}

WindowProcedure SubclassWindow(HWND hwnd, WindowProcedure handler) {
    if (!HookWindow(hwnd))
        return {};
    WindowProcedure previous = SetHookHandler(hwnd, std::move(handler));
    if (previous)
        return previous;
    return [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        return CallOwnProcedure(window, message, wParam, lParam);
    };
}

LRESULT CallWindowProcedure(const WindowProcedure& previous, HWND hwnd, UINT message, WPARAM wParam,
                            LPARAM lParam) {
    return previous ? previous(hwnd, message, wParam, lParam)
                    : VortanDefWindowProc(hwnd, message, wParam, lParam);
}

} // namespace vortan::win
