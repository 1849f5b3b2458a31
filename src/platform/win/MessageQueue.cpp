#include "platform/win/MessageQueue.h"

#include <algorithm>

#include "platform/win/StdLoopBackend.h"
#include "platform/win/WinBase.h"
#include "platform/win/WindowTable.h"

namespace vortan::win {

namespace {

bool InRange(UINT message, UINT filterMin, UINT filterMax) {
    return (filterMin == 0 && filterMax == 0) || (message >= filterMin && message <= filterMax);
}

// A window filter takes the window's own messages and its controls'.
bool ForFilter(const Window& window, HWND filter) {
    return filter == nullptr || window.Handle() == filter || window.Parent() == filter;
}

} // namespace

MessageQueue& MessageQueue::Instance() {
    static MessageQueue queue;
    return queue;
}

MessageQueue::MessageQueue() : m_backend(std::make_unique<StdLoopBackend>()) {}

std::unique_ptr<ILoopBackend> MessageQueue::SetBackend(std::unique_ptr<ILoopBackend> backend) {
    if (!backend)
        backend = std::make_unique<StdLoopBackend>();
    const std::lock_guard lock(m_mutex);
    std::swap(m_backend, backend);
    m_backend->Wake(); // a loop asleep in the old backend would not hear the new one
    return backend;
}

void MessageQueue::Post(const MSG& msg) {
    const std::lock_guard lock(m_mutex);
    m_posted.push_back(msg);
    m_backend->Wake();
}

void MessageQueue::PostQuit(int exitCode) {
    const std::lock_guard lock(m_mutex);
    m_quit = true;
    m_quitCode = exitCode;
    m_backend->Wake();
}

bool MessageQueue::Next(MSG& msg, HWND filter, UINT filterMin, UINT filterMax, bool remove,
                        bool wait) {
    bool polled = false;
    for (;;) {
        ILoopBackend* backend = nullptr;
        std::optional<ILoopBackend::Clock::time_point> deadline;
        {
            const std::lock_guard lock(m_mutex);
            if (TakePosted(msg, filter, filterMin, filterMax, remove))
                return true;
            if (m_quit) {
                msg = MSG{};
                msg.message = WM_QUIT;
                msg.wParam = static_cast<WPARAM>(m_quitCode);
                msg.time = GetTickCount();
                if (remove)
                    m_quit = false;
                return true;
            }
            const auto now = ILoopBackend::Clock::now();
            if (TakeTimer(msg, filter, filterMin, filterMax, remove, now))
                return true;
            if (!wait) {
                if (polled)
                    return false;
                deadline = now; // let the backend deliver its own pending events once
                polled = true;
            } else {
                deadline = NextDeadline(filter);
            }
            backend = m_backend.get();
        }
        // Without the lock: the backend may run handlers that post.
        backend->Wait(deadline);
    }
}

bool MessageQueue::TakePosted(MSG& msg, HWND filter, UINT filterMin, UINT filterMax, bool remove) {
    const WindowTable& windows = WindowTable::Instance();
    for (auto it = m_posted.begin(); it != m_posted.end();) {
        if (it->hwnd != nullptr) {
            const auto window = windows.Find(it->hwnd);
            if (!window) { // posted from another thread while the window went away
                it = m_posted.erase(it);
                continue;
            }
            if (!ForFilter(*window, filter)) {
                ++it;
                continue;
            }
        } else if (filter != nullptr) {
            ++it;
            continue;
        }
        if (!InRange(it->message, filterMin, filterMax)) {
            ++it;
            continue;
        }
        msg = *it;
        if (remove)
            m_posted.erase(it);
        return true;
    }
    return false;
}

bool MessageQueue::TakeTimer(MSG& msg, HWND filter, UINT filterMin, UINT filterMax, bool remove,
                             ILoopBackend::Clock::time_point now) {
    if (!InRange(WM_TIMER, filterMin, filterMax))
        return false;
    Timer* earliest = nullptr;
    for (Timer& timer : m_timers) {
        if (timer.due > now)
            continue;
        if (filter != nullptr) {
            const auto window = WindowTable::Instance().Find(timer.hwnd);
            if (!window || !ForFilter(*window, filter))
                continue;
        }
        if (earliest == nullptr || timer.due < earliest->due)
            earliest = &timer;
    }
    if (earliest == nullptr)
        return false;
    msg = MSG{};
    msg.hwnd = earliest->hwnd;
    msg.message = WM_TIMER;
    msg.wParam = earliest->id;
    msg.time = GetTickCount();
    // Rescheduling from now rather than from the old due time is what coalesces: a loop that
    // was busy for many periods sees one WM_TIMER, not a burst.
    if (remove)
        earliest->due = now + earliest->period;
    return true;
}

std::optional<ILoopBackend::Clock::time_point> MessageQueue::NextDeadline(HWND filter) const {
    std::optional<ILoopBackend::Clock::time_point> deadline;
    for (const Timer& timer : m_timers) {
        if (filter != nullptr && timer.hwnd != filter) {
            const auto window = WindowTable::Instance().Find(timer.hwnd);
            if (!window || window->Parent() != filter)
                continue;
        }
        if (!deadline || timer.due < *deadline)
            deadline = timer.due;
    }
    return deadline;
}

void MessageQueue::SetTimer(HWND hwnd, UINT_PTR id, UINT elapse) {
    const auto period = std::chrono::milliseconds(std::max<UINT>(elapse, 1));
    const auto due = ILoopBackend::Clock::now() + period;
    const std::lock_guard lock(m_mutex);
    const auto it = std::find_if(m_timers.begin(), m_timers.end(), [&](const Timer& timer) {
        return timer.hwnd == hwnd && timer.id == id;
    });
    if (it != m_timers.end()) {
        it->period = period;
        it->due = due;
    } else {
        m_timers.push_back(Timer{hwnd, id, period, due});
    }
    m_backend->Wake(); // a loop asleep until a later deadline must look again
}

bool MessageQueue::KillTimer(HWND hwnd, UINT_PTR id) {
    const std::lock_guard lock(m_mutex);
    return std::erase_if(m_timers, [&](const Timer& timer) {
               return timer.hwnd == hwnd && timer.id == id;
           }) != 0;
}

void MessageQueue::ForgetWindow(HWND hwnd) {
    const std::lock_guard lock(m_mutex);
    std::erase_if(m_posted, [&](const MSG& msg) { return msg.hwnd == hwnd; });
    std::erase_if(m_timers, [&](const Timer& timer) { return timer.hwnd == hwnd; });
}

} // namespace vortan::win
