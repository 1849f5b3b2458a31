#include <cwchar>

#include "platform/ui/DesktopWindows.h"
#include "platform/win/WinUser.h"
#include "vortan/text/Utf.h"

namespace vortan::ui::desktop {

long long ProcessId() {
    return static_cast<long long>(GetCurrentProcessId());
}

std::string Environment(const char* name) {
    const std::wstring wide = text::Utf8ToUtf16(name);
    const DWORD size = GetEnvironmentVariableW(wide.c_str(), nullptr, 0);
    if (size == 0)
        return {};
    std::wstring value(size, L'\0');
    value.resize(GetEnvironmentVariableW(wide.c_str(), value.data(), size));
    return text::Utf16ToUtf8(value);
}

bool NoDisplay() {
    return false; // a Windows session always has a desktop to show windows on
}

const char* const kPathSeparators = "\\/";
const std::size_t kMaxPathBytes = MAX_PATH;

bool IsAbsolutePath(std::string_view path) {
    const auto separator = [&](std::size_t i) {
        return i < path.size() && (path[i] == '\\' || path[i] == '/');
    };
    const bool drive = path.size() >= 3 && path[1] == ':' &&
                       ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    return (drive && separator(2)) || (separator(0) && separator(1)); // C:\ or \\server
}

std::vector<HWND> Controls(HWND dialog) {
    // The dialog manager keeps controls in template order, which is the tab order.
    std::vector<HWND> controls;
    if (IsWindow(dialog) == FALSE)
        return controls;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT))
        controls.push_back(child);
    return controls;
}

const char* ControlKind(HWND control) {
    wchar_t name[32] = {};
    if (GetClassNameW(control, name, 32) == 0)
        return "unknown";
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(control, GWL_STYLE));
    if (_wcsicmp(name, L"Button") == 0)
        return (style & BS_TYPEMASK) == BS_GROUPBOX ? "group" : "button";
    if (_wcsicmp(name, L"Static") == 0)
        return (style & SS_TYPEMASK) == SS_ICON ? "icon" : "static";
    if (_wcsicmp(name, L"Edit") == 0)
        return "edit";
    if (_wcsicmp(name, PROGRESS_CLASSW) == 0)
        return "progress";
    if (_wcsicmp(name, L"#32770") == 0)
        return "dialog";
    return "unknown";
}

} // namespace vortan::ui::desktop
