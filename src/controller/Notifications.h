#pragma once

// The window messages the event sinks deliver to their owner's window.

#include "platform/WinDef.h"

namespace vortan::controller {

// Controller notifications: posted, wParam 0 and lParam 0. Any of them is the controller's
// answer to Connect.
inline constexpr UINT WM_CONTROLLER_DISCONNECTED = 2026;    // event 2
inline constexpr UINT WM_CONTROLLER_CONNECTED = 2027;       // event 1
inline constexpr UINT WM_CONTROLLER_CONNECTION_LOST = 2028; // event 17
inline constexpr UINT WM_CONTROLLER_CONNECT_FAILED = 2029;  // event 16

// Flash notifications: sent; flash event n arrives as WM_FLASH_BASE + n (1625 to 1641).
inline constexpr UINT WM_FLASH_BASE = 1624;
inline constexpr UINT WM_FLASH_FIRST = WM_FLASH_BASE + 1;
inline constexpr UINT WM_FLASH_LAST = WM_FLASH_BASE + 17;

} // namespace vortan::controller
