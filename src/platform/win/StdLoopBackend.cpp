#include "platform/win/StdLoopBackend.h"

namespace vortan::win {

void StdLoopBackend::Wait(std::optional<Clock::time_point> deadline) {
    std::unique_lock lock(m_mutex);
    const auto woken = [this] { return m_woken; };
    if (deadline)
        m_wake.wait_until(lock, *deadline, woken);
    else
        m_wake.wait(lock, woken);
    m_woken = false;
}

void StdLoopBackend::Wake() {
    {
        const std::lock_guard lock(m_mutex);
        m_woken = true;
    }
    m_wake.notify_one();
}

} // namespace vortan::win
