#pragma once

#include <deque>
#include <functional>

#include "platform/WinDef.h"

namespace vortan::app {

// Incoming calls wait in the program's message queue, as calls into a single-threaded
// apartment do: whichever message loop runs next serves them (a nested one included), and
// none does once the main window's run has ended, so a call that comes too late starts
// nothing. Lives on the window thread.
class LoopCallQueue final {
public:
    LoopCallQueue();
    ~LoopCallQueue();
    LoopCallQueue(const LoopCallQueue&) = delete;
    LoopCallQueue& operator=(const LoopCallQueue&) = delete;

    void Post(std::function<void()> call);

private:
    HWND m_hWnd = nullptr;
    std::deque<std::function<void()>> m_calls;
};

} // namespace vortan::app
