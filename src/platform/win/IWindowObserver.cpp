#include "platform/win/IWindowObserver.h"

namespace vortan::win {

void IWindowObserver::OnTextChanged(HWND, std::string_view) {}
void IWindowObserver::OnVisibilityChanged(HWND, bool, bool) {}
void IWindowObserver::OnEnabledChanged(HWND, bool) {}
void IWindowObserver::OnProgressChanged(HWND, int, int, int) {}
void IWindowObserver::OnIconChanged(HWND, int) {}
void IWindowObserver::OnUpdate(HWND) {}
void IWindowObserver::OnFrameChanged(HWND) {}
void IWindowObserver::OnDestroyed(HWND) {}

} // namespace vortan::win
