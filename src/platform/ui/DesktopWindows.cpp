#include "platform/ui/DesktopWindows.h"

#include <cstdlib>
#include <unistd.h>

#include "platform/fs/Path.h"
#include "platform/win/Window.h"
#include "platform/win/WindowTable.h"

namespace vortan::ui::desktop {

long long ProcessId() {
    return static_cast<long long>(::getpid());
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

bool NoDisplay() {
    const std::string platform = Environment("QT_QPA_PLATFORM");
    if (platform == "offscreen" || platform == "minimal")
        return true;
    return Environment("DISPLAY").empty() && Environment("WAYLAND_DISPLAY").empty();
}

const char* const kPathSeparators = "/";
const std::size_t kMaxPathBytes = fs::kMaxPath;

bool IsAbsolutePath(std::string_view path) {
    return !path.empty() && path.front() == '/';
}

std::vector<HWND> Controls(HWND dialog) {
    const auto window = win::WindowTable::Instance().Find(dialog);
    return window ? window->Children() : std::vector<HWND>{};
}

const char* ControlKind(HWND control) {
    const auto window = win::WindowTable::Instance().Find(control);
    if (!window)
        return "unknown";
    switch (window->Kind()) {
    case win::WindowKind::Dialog:
        return "dialog";
    case win::WindowKind::MessageOnly:
        return "message";
    case win::WindowKind::Static:
        return "static";
    case win::WindowKind::Button:
        return "button";
    case win::WindowKind::Edit:
        return "edit";
    case win::WindowKind::ProgressBar:
        return "progress";
    case win::WindowKind::Icon:
        return "icon";
    case win::WindowKind::GroupBox:
        return "group";
    }
    return "unknown";
}

} // namespace vortan::ui::desktop
