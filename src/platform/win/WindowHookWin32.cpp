#include "platform/win/WindowHookWin32.h"

#include <algorithm>
#include <cwchar>
#include <unordered_map>
#include <vector>

#include "platform/win/IWindowObserver.h"
#include "vortan/text/Utf.h"

namespace vortan::win {
namespace {

struct HookedWindow {
    WNDPROC original = nullptr;
    WindowProcedure handler;
    std::vector<IWindowObserver*> observers;
};

// Nodes of an unordered_map stay put when others come and go, but a handler may destroy its
// own window: every use looks the window up again.
std::unordered_map<HWND, HookedWindow>& Hooked() {
    static std::unordered_map<HWND, HookedWindow> windows;
    return windows;
}

HookedWindow* Find(HWND hwnd) {
    const auto it = Hooked().find(hwnd);
    return it != Hooked().end() ? &it->second : nullptr;
}

bool HasClass(HWND hwnd, const wchar_t* name) {
    wchar_t className[32] = {};
    return GetClassNameW(hwnd, className, 32) > 0 && _wcsicmp(className, name) == 0;
}

bool IsPushButton(HWND hwnd) {
    const auto type = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)) & BS_TYPEMASK;
    return (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) && HasClass(hwnd, L"Button");
}

// The nearest window up the parent (or owner) chain that has observers.
HWND ObservedWindow(HWND hwnd) {
    for (HWND window = hwnd; window != nullptr; window = GetParent(window)) {
        if (const HookedWindow* hooked = Find(window); hooked && !hooked->observers.empty())
            return window;
    }
    return nullptr;
}

std::vector<IWindowObserver*> ObserversFor(HWND hwnd) {
    const HWND observed = ObservedWindow(hwnd);
    return observed != nullptr ? Find(observed)->observers : std::vector<IWindowObserver*>{};
}

// In the order they came; one that an earlier one detached meanwhile is not told.
template <typename Tell>
void Notify(HWND hwnd, Tell tell) {
    const HWND observed = ObservedWindow(hwnd);
    if (observed == nullptr)
        return;
    for (IWindowObserver* observer : std::vector<IWindowObserver*>(Find(observed)->observers)) {
        const HookedWindow* hooked = Find(observed);
        if (hooked == nullptr)
            return;
        if (std::find(hooked->observers.begin(), hooked->observers.end(), observer) !=
            hooked->observers.end())
            tell(*observer);
    }
}

void NotifyProgress(HWND hwnd) {
    const int lower = static_cast<int>(SendMessageW(hwnd, PBM_GETRANGE, TRUE, 0));
    const int upper = static_cast<int>(SendMessageW(hwnd, PBM_GETRANGE, FALSE, 0));
    const int position = static_cast<int>(SendMessageW(hwnd, PBM_GETPOS, 0, 0));
    Notify(hwnd, [&](IWindowObserver& o) { o.OnProgressChanged(hwnd, lower, upper, position); });
}

// What the message changed, told once USER32 has changed it.
void TellObservers(HWND hwnd, UINT message, WPARAM wParam, LRESULT result) {
    switch (message) {
    case WM_SETTEXT:
        if (result != FALSE) {
            const std::string text = WindowTextUtf8(hwnd);
            Notify(hwnd, [&](IWindowObserver& o) { o.OnTextChanged(hwnd, text); });
        }
        break;
    case PBM_SETPOS:
        if (static_cast<LRESULT>(SendMessageW(hwnd, PBM_GETPOS, 0, 0)) != result)
            NotifyProgress(hwnd);
        break;
    case PBM_SETRANGE:
    case PBM_SETRANGE32:
    case PBM_DELTAPOS:
    case PBM_STEPIT:
        NotifyProgress(hwnd);
        break;
    case WM_ENABLE:
        Notify(hwnd, [&](IWindowObserver& o) { o.OnEnabledChanged(hwnd, wParam != 0); });
        break;
    case WM_SHOWWINDOW:
        Notify(hwnd, [&](IWindowObserver& o) {
            o.OnVisibilityChanged(hwnd, wParam != 0, IsIconic(hwnd) != FALSE);
        });
        break;
    default:
        break;
    }
}

LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    HookedWindow* hooked = Find(hwnd);
    if (hooked == nullptr)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    // A real click needs an active dialog under the mouse, which a desktop nobody looks at
    // cannot promise; BM_CLICK presses a push button the way the dialog manager's keyboard
    // interface does, and a disabled one ignores it.
    if (message == BM_CLICK && IsPushButton(hwnd)) {
        if (IsWindowEnabled(hwnd) && GetParent(hwnd) != nullptr)
            SendMessageW(GetParent(hwnd), WM_COMMAND,
                         MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(hwnd)), BN_CLICKED),
                         reinterpret_cast<LPARAM>(hwnd));
        return 0;
    }
    // A control with a handler of its own hears its notifications first.
    if (message == WM_COMMAND && lParam != 0) {
        const auto control = reinterpret_cast<HWND>(lParam);
        if (const HookedWindow* child = Find(control);
            child && child->handler && GetParent(control) == hwnd &&
            SendMessageW(control, OCM_COMMAND, wParam, lParam) != 0)
            return 0;
        hooked = Find(hwnd);
        if (hooked == nullptr)
            return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    const WindowProcedure handler = hooked->handler; // it may replace itself while it runs
    const WNDPROC original = hooked->original;
    const LRESULT result = handler ? handler(hwnd, message, wParam, lParam)
                                   : CallWindowProcW(original, hwnd, message, wParam, lParam);
    TellObservers(hwnd, message, wParam, result);
    return result;
}

LRESULT CALLBACK HookProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    try {
        result = HandleMessage(hwnd, message, wParam, lParam);
    } catch (...) {
        // Nothing unwinds through USER32; the handlers have had their own chance.
        result = 0;
    }
    if (message == WM_NCDESTROY) {
        // The window's own observers hear its end too, and are detached with it.
        const std::vector<IWindowObserver*> observers = ObserversFor(hwnd);
        const auto it = Hooked().find(hwnd);
        if (it != Hooked().end()) {
            SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(it->second.original));
            Hooked().erase(it);
        }
        for (IWindowObserver* observer : observers) {
            try {
                observer->OnDestroyed(hwnd);
            } catch (...) {
                // An observer's failure stays with it.
            }
        }
    }
    return result;
}

} // namespace

bool HookWindow(HWND hwnd) {
    if (IsWindow(hwnd) == FALSE)
        return false;
    if (Find(hwnd) != nullptr)
        return true;
    HookedWindow& hooked = Hooked()[hwnd];
    hooked.original = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HookProc)));
    if (hooked.original == nullptr) {
        Hooked().erase(hwnd);
        return false;
    }
    return true;
}

bool HookWindowAndChildren(HWND hwnd) {
    if (!HookWindow(hwnd))
        return false;
    for (HWND child = GetWindow(hwnd, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT))
        HookWindow(child);
    return true;
}

bool IsHooked(HWND hwnd) {
    return Find(hwnd) != nullptr;
}

WindowProcedure SetHookHandler(HWND hwnd, WindowProcedure handler) {
    HookedWindow* hooked = Find(hwnd);
    if (hooked == nullptr)
        return {};
    return std::exchange(hooked->handler, std::move(handler));
}

LRESULT CallOwnProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const HookedWindow* hooked = Find(hwnd);
    if (hooked == nullptr)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    return CallWindowProcW(hooked->original, hwnd, message, wParam, lParam);
}

bool AddHookObserver(HWND hwnd, IWindowObserver* observer) {
    HookedWindow* hooked = Find(hwnd);
    if (hooked == nullptr || observer == nullptr)
        return false;
    if (std::find(hooked->observers.begin(), hooked->observers.end(), observer) ==
        hooked->observers.end())
        hooked->observers.push_back(observer);
    return true;
}

bool RemoveHookObserver(HWND hwnd, IWindowObserver* observer) {
    HookedWindow* hooked = Find(hwnd);
    return hooked != nullptr && std::erase(hooked->observers, observer) != 0;
}

std::string WindowTextUtf8(HWND hwnd) {
    if (IsWindow(hwnd) == FALSE)
        return {};
    const int length = GetWindowTextLengthW(hwnd);
    if (length <= 0)
        return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), length + 1)));
    return text::Utf16ToUtf8(text);
}

} // namespace vortan::win
