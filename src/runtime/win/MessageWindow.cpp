#include "vortan/win/MessageWindow.h"

#include <atomic>
#include <utility>

#include "IWindowHost.h" // same directory: the runtime sees nothing else of src/

namespace vortan::win {
namespace {

// Set while the platform library loads, before any window exists; PostMessage reads it from
// any thread.
constinit std::atomic<IWindowHost*> g_host{nullptr};

IWindowHost* Host() noexcept {
    return g_host.load(std::memory_order_acquire);
}

} // namespace

void SetWindowHost(IWindowHost* host) noexcept {
    g_host.store(host, std::memory_order_release);
}

HWND CreateMessageWindow(WindowHandler handler) {
    IWindowHost* host = Host();
    return host != nullptr ? host->CreateMessageOnlyWindow(std::move(handler)) : nullptr;
}

} // namespace vortan::win

BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    vortan::win::IWindowHost* host = vortan::win::Host();
    return host != nullptr ? host->Post(hwnd, message, wParam, lParam) : FALSE;
}

BOOL DestroyWindow(HWND hwnd) {
    vortan::win::IWindowHost* host = vortan::win::Host();
    return host != nullptr ? host->Destroy(hwnd) : FALSE;
}
