#include "platform/win/HandleTable.h"

namespace vortan::win {

HandleTable& HandleTable::Instance() {
    static HandleTable table;
    return table;
}

HANDLE HandleTable::Add(std::shared_ptr<KernelObject> object) {
    const std::lock_guard lock(m_mutex);
    const std::uintptr_t value = m_next;
    m_next += 4; // aligned like the platform's handles, which some callers test
    m_objects.emplace(value, std::move(object));
    return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> HandleTable::Find(HANDLE handle) const {
    const std::lock_guard lock(m_mutex);
    const auto it = m_objects.find(reinterpret_cast<std::uintptr_t>(handle));
    return it == m_objects.end() ? nullptr : it->second;
}

bool HandleTable::Remove(HANDLE handle) {
    std::shared_ptr<KernelObject> released;
    {
        const std::lock_guard lock(m_mutex);
        const auto it = m_objects.find(reinterpret_cast<std::uintptr_t>(handle));
        if (it == m_objects.end())
            return false;
        released = std::move(it->second);
        m_objects.erase(it);
    }
    return true; // the object goes here, outside the lock, in case its destructor blocks
}

} // namespace vortan::win
