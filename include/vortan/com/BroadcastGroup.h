#pragma once

// All connection points of one event interface of one component class in the process. A
// plug-in keeps one group per event interface as a static object and hands it to the
// ConnectionPoint of each instance; firing on the group reaches every sink advised on any
// instance. Instances may come and go at any time, also while the group fires.

#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

#include "vortan/com/IDispatch.h"

namespace vortan::com {

class ConnectionPoint;

class BroadcastGroup final {
public:
    BroadcastGroup() = default;
    BroadcastGroup(const BroadcastGroup&) = delete;
    BroadcastGroup& operator=(const BroadcastGroup&) = delete;
    // Members still alive (e.g. at process exit) forget the group rather than touch it later.
    ~BroadcastGroup();

    // ConnectionPoint::Fire on every member, including members that join during the call
    // only from the next call on; members that leave meanwhile are skipped.
    HRESULT Fire(DISPID dispid, std::span<const VARIANT> args = {}) noexcept;

    std::size_t MemberCount() const;

private:
    friend class ConnectionPoint;

    struct Member {
        ConnectionPoint* point = nullptr;
        std::uint64_t serial = 0; // tells a new member from a dead one at the same address
    };

    void Join(ConnectionPoint& point);
    void Leave(ConnectionPoint& point) noexcept;
    bool IsMember(const Member& member) const;

    // Membership changes may come from any thread that creates or destroys an instance;
    // events themselves are fired on the apartment's one thread, outside the lock.
    mutable std::mutex m_mutex;
    std::vector<Member> m_members;
    std::uint64_t m_nextSerial = 1;
};

} // namespace vortan::com
