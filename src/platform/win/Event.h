#pragma once

#include <condition_variable>
#include <mutex>

#include "platform/win/KernelObject.h"

namespace vortan::win {

// The event object: manual-reset stays signalled until reset; auto-reset releases one waiter
// and resets itself. Set may come from any thread.
class Event final : public KernelObject {
public:
    Event(bool manualReset, bool initialState);

    void Set();
    DWORD Wait(DWORD milliseconds) override;

private:
    std::mutex m_mutex;
    std::condition_variable m_signal;
    bool m_manualReset = true;
    bool m_signalled = false;
};

} // namespace vortan::win
