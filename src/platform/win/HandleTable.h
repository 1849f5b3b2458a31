#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "platform/WinDef.h"
#include "platform/win/KernelObject.h"

namespace vortan::win {

// The process's kernel handles. Handle values are never reused, so a closed handle stays
// invalid for good. Lookups hand out shared ownership: a thread waiting on an object keeps it
// alive while another thread closes the handle.
class HandleTable final {
public:
    static HandleTable& Instance();

    HANDLE Add(std::shared_ptr<KernelObject> object);
    std::shared_ptr<KernelObject> Find(HANDLE handle) const;
    // Removes the entry; false if the handle is not (or no longer) valid.
    bool Remove(HANDLE handle);

private:
    mutable std::mutex m_mutex;
    std::map<std::uintptr_t, std::shared_ptr<KernelObject>> m_objects;
    std::uintptr_t m_next = 0x100;
};

} // namespace vortan::win
