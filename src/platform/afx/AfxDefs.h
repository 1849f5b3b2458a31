#pragma once

#include <cstdint>

// An iteration position of the framework's collections and selections: opaque, null when no
// element is left.
struct __POSITION {};
using POSITION = __POSITION*;

inline POSITION PositionFromIndex(std::uintptr_t value) {
    return reinterpret_cast<POSITION>(value);
}
inline std::uintptr_t IndexFromPosition(POSITION position) {
    return reinterpret_cast<std::uintptr_t>(position);
}
