#pragma once

#include <condition_variable>
#include <mutex>

#include "platform/win/ILoopBackend.h"

namespace vortan::win {

// The backend without a toolkit: a condition variable. Serves unit tests and any program
// that has no events besides the queue's.
class StdLoopBackend final : public ILoopBackend {
public:
    void Wait(std::optional<Clock::time_point> deadline) override;
    void Wake() override;

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_woken = false;
};

} // namespace vortan::win
