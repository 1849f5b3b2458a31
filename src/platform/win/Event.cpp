#include "platform/win/Event.h"

#include <chrono>

#include "platform/win/WinBase.h"

namespace vortan::win {

Event::Event(bool manualReset, bool initialState)
    : m_manualReset(manualReset), m_signalled(initialState) {}

void Event::Set() {
    {
        const std::lock_guard lock(m_mutex);
        m_signalled = true;
    }
    if (m_manualReset)
        m_signal.notify_all();
    else
        m_signal.notify_one();
}

DWORD Event::Wait(DWORD milliseconds) {
    std::unique_lock lock(m_mutex);
    const auto signalled = [this] { return m_signalled; };
    if (milliseconds == INFINITE)
        m_signal.wait(lock, signalled);
    else if (!m_signal.wait_for(lock, std::chrono::milliseconds(milliseconds), signalled))
        return WAIT_TIMEOUT;
    if (!m_manualReset)
        m_signalled = false;
    return WAIT_OBJECT_0;
}

} // namespace vortan::win
