#pragma once

#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/WinDef.h"
#include "platform/win/ILoopBackend.h"
#include "platform/win/WinUser.h"

namespace vortan::win {

// The window thread's queue: posted messages, the quit request and the timers, with the
// backend that sleeps while nothing is due. There is one, as there is one window thread;
// nested loops (modal dialogs, waits) all pump it.
class MessageQueue final {
public:
    static MessageQueue& Instance();

    // Installs a backend; null puts the standard one back. Returns the previous backend.
    std::unique_ptr<ILoopBackend> SetBackend(std::unique_ptr<ILoopBackend> backend);

    // Any thread.
    void Post(const MSG& msg);
    void PostQuit(int exitCode);

    // Fetches the next message for `filter` (null: every window and the thread) in the range
    // [filterMin, filterMax] (0, 0: all): posted messages first, then the quit request, then
    // the timer that is due longest. With `wait` it blocks until one is there; without it
    // returns false when nothing is. `remove` takes the message from the queue.
    bool Next(MSG& msg, HWND filter, UINT filterMin, UINT filterMax, bool remove, bool wait);

    void SetTimer(HWND hwnd, UINT_PTR id, UINT elapse);
    bool KillTimer(HWND hwnd, UINT_PTR id);
    // Drops what is queued for a window being destroyed, and its timers.
    void ForgetWindow(HWND hwnd);

private:
    MessageQueue();

    struct Timer {
        HWND hwnd = nullptr;
        UINT_PTR id = 0;
        ILoopBackend::Clock::duration period{};
        ILoopBackend::Clock::time_point due{};
    };

    bool TakePosted(MSG& msg, HWND filter, UINT filterMin, UINT filterMax, bool remove);
    bool TakeTimer(MSG& msg, HWND filter, UINT filterMin, UINT filterMax, bool remove,
                   ILoopBackend::Clock::time_point now);
    std::optional<ILoopBackend::Clock::time_point> NextDeadline(HWND filter) const;

    std::mutex m_mutex;
    std::deque<MSG> m_posted;
    bool m_quit = false;
    int m_quitCode = 0;
    std::vector<Timer> m_timers;
    std::unique_ptr<ILoopBackend> m_backend;
};

} // namespace vortan::win
