#include "vortan/com/BroadcastGroup.h"

#include <algorithm>

#include "vortan/com/ConnectionPoint.h"

namespace vortan::com {

BroadcastGroup::~BroadcastGroup() {
    std::lock_guard lock(m_mutex);
    for (Member& m : m_members)
        m.point->m_group = nullptr;
}

void BroadcastGroup::Join(ConnectionPoint& point) {
    std::lock_guard lock(m_mutex);
    m_members.push_back(Member{&point, m_nextSerial++});
}

void BroadcastGroup::Leave(ConnectionPoint& point) noexcept {
    std::lock_guard lock(m_mutex);
    std::erase_if(m_members, [&point](const Member& m) { return m.point == &point; });
}

bool BroadcastGroup::IsMember(const Member& member) const {
    std::lock_guard lock(m_mutex);
    return std::any_of(m_members.begin(), m_members.end(), [&member](const Member& m) {
        return m.point == member.point && m.serial == member.serial;
    });
}

std::size_t BroadcastGroup::MemberCount() const {
    std::lock_guard lock(m_mutex);
    return m_members.size();
}

HRESULT BroadcastGroup::Fire(DISPID dispid, std::span<const VARIANT> args) noexcept {
    try {
        std::vector<Member> snapshot;
        {
            std::lock_guard lock(m_mutex);
            snapshot = m_members;
        }
        HRESULT result = S_OK;
        for (const Member& member : snapshot) {
            if (!IsMember(member))
                continue;
            const HRESULT hr = member.point->Fire(dispid, args);
            if (FAILED(hr))
                result = hr;
        }
        return result;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

} // namespace vortan::com
