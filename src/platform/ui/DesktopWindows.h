#pragma once

// What the unattended desktop needs to know of the process and its windows, answered by the
// window model or by USER32.

#include <string>
#include <string_view>
#include <vector>

#include "platform/WinDef.h"

namespace vortan::ui::desktop {

long long ProcessId();
// An environment variable in UTF-8; empty when it is not set.
std::string Environment(const char* name);
// True when no window could be shown to a person.
bool NoDisplay();
// Paths as a person picks them in the desktop's dialogs.
extern const char* const kPathSeparators;
// The size of a path buffer the platform's calls fill.
extern const std::size_t kMaxPathBytes;
bool IsAbsolutePath(std::string_view path);

// The dialog's controls in tab order.
std::vector<HWND> Controls(HWND dialog);
// "static", "button", "edit", "progress", "icon", "group", "dialog" or "unknown".
const char* ControlKind(HWND control);

} // namespace vortan::ui::desktop
