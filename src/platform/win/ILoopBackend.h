#pragma once

#include <chrono>
#include <optional>

namespace vortan::win {

// How the message loop sleeps. The queue decides what is due; the backend only waits, and
// while it waits it may deliver events of its own (a toolkit's input, paint, bus calls).
class ILoopBackend {
public:
    using Clock = std::chrono::steady_clock;

    virtual ~ILoopBackend() = default;

    // Returns once Wake was called (also before this call, since the last return), the
    // deadline passed, or the backend handled an event of its own. No deadline: wait for
    // ever. A deadline in the past: deliver what is pending, do not block. Returning early is
    // allowed; the queue looks again.
    virtual void Wait(std::optional<Clock::time_point> deadline) = 0;
    // Ends a Wait; callable from any thread.
    virtual void Wake() = 0;

protected:
    ILoopBackend() = default;
    ILoopBackend(const ILoopBackend&) = default;
    ILoopBackend& operator=(const ILoopBackend&) = default;
};

} // namespace vortan::win
