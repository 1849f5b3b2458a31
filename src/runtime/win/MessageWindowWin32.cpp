#include <memory>
#include <mutex>
#include <utility>

#include "vortan/win/MessageWindow.h"

// USER32's message-only windows (HWND_MESSAGE). The handler lives in the window's user data
// from creation to WM_NCDESTROY, the last message a window gets.

namespace vortan::win {
namespace {

constexpr char kClassName[] = "VortanMessageWindow";

LRESULT CALLBACK MessageWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* handler = reinterpret_cast<WindowHandler*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (handler == nullptr)
        return DefWindowProcA(hwnd, message, wParam, lParam);
    LRESULT result = 0;
    try {
        result = (*handler)(hwnd, message, wParam, lParam);
    } catch (...) {
        // Nothing may unwind through USER32; the handler's own error handling came first.
        result = 0;
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        delete handler;
    }
    return result;
}

HINSTANCE ThisModule() noexcept {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&MessageWindowProc), &module);
    return module;
}

bool RegisterClassOnce() noexcept {
    static const bool registered = [] {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = MessageWindowProc;
        wc.hInstance = ThisModule();
        wc.lpszClassName = kClassName;
        return RegisterClassExA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    return registered;
}

} // namespace

HWND CreateMessageWindow(WindowHandler handler) {
    if (!RegisterClassOnce())
        return nullptr;
    HWND hwnd = CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                ThisModule(), nullptr);
    if (hwnd == nullptr)
        return nullptr;
    auto owned = std::make_unique<WindowHandler>(std::move(handler));
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owned.release()));
    return hwnd;
}

} // namespace vortan::win
