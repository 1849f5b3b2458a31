#pragma once

// What keeps the plug-in in use: its live objects and the client's locks on its class
// objects. A Windows process unloads an in-process server only when this count is zero
// (DllCanUnloadNow).

#include <atomic>

namespace vortan::simboard {

inline std::atomic<long> g_moduleLocks{0};

// One count for as long as its owner lives.
class ModuleLock final {
public:
    ModuleLock() noexcept { ++g_moduleLocks; }
    ModuleLock(const ModuleLock&) noexcept : ModuleLock() {}
    ModuleLock& operator=(const ModuleLock&) noexcept { return *this; }
    ~ModuleLock() { --g_moduleLocks; }
};

} // namespace vortan::simboard
