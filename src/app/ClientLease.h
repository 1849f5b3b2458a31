#pragma once

#include <chrono>
#include <functional>
#include <set>
#include <string>

namespace vortan::app {

// When the automation object may be given up. A client's Release() ends it, and so does the
// departure of every client that created or called it once no call has come for the grace
// period. Neither happens while a call runs: the proxy stays until the call has returned,
// since the call may run nested loops that bring the release. The clock and the timer are
// the caller's, so the rules can be checked without waiting.
class ClientLease final {
public:
    using Clock = std::chrono::steady_clock;
    struct Hooks {
        std::function<void()> release;                      // give the object up now
        std::function<void(std::chrono::milliseconds)> arm; // call GraceOver() after this
        std::function<void()> disarm;                       // the armed call is no longer due
        std::function<Clock::time_point()> now = Clock::now;
    };

    ClientLease(std::chrono::milliseconds grace, Hooks hooks);

    // A call or the creation came from `client`; the grace starts anew. True if the client is
    // new: the caller then watches whether it leaves the bus.
    bool NoteClient(const std::string& client);
    void ClientLeft(const std::string& client);
    void GraceOver();

    void CallStarted() { ++m_nCallDepth; }
    // The call's reply is out: a long call counts as activity until here, and a release that
    // came meanwhile happens now.
    void CallEnded();
    bool InCall() const { return m_nCallDepth > 0; }

    // The client asked for it.
    void Release();
    bool Released() const { return m_bReleased; }

private:
    void ReleaseWhenIdle();

    std::chrono::milliseconds m_grace;
    Hooks m_hooks;
    std::set<std::string> m_clients; // those still on the bus
    Clock::time_point m_lastCall;
    int m_nCallDepth = 0;
    bool m_bReleasePending = false;
    bool m_bReleased = false;
};

} // namespace vortan::app
