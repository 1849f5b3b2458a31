#pragma once

// Where the runtime's message-window calls (vortan/win/MessageWindow.h) go: the window model
// and message loop of the program, which live in the platform library. Plug-ins link only the
// runtime, so the platform hands its model to the runtime when it is loaded; without it the
// calls fail.

#include "vortan/win/MessageWindow.h"

namespace vortan::win {

class IWindowHost {
public:
    virtual HWND CreateMessageOnlyWindow(WindowHandler handler) = 0;
    // Any thread.
    virtual BOOL Post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) = 0;
    virtual BOOL Destroy(HWND hwnd) = 0;

protected:
    IWindowHost() = default;
    IWindowHost(const IWindowHost&) = default;
    IWindowHost& operator=(const IWindowHost&) = default;
    ~IWindowHost() = default;
};

// Makes `host` the one the calls go to; null withdraws it. The host must stay alive until
// it is withdrawn.
void SetWindowHost(IWindowHost* host) noexcept;

} // namespace vortan::win
