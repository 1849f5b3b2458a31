#pragma once

// Seconds since the epoch and the system's FILETIME (100 ns ticks since 1601, UTC), both ways.

#include <cstdint>
#include <windows.h>

namespace vortan::fs {

inline constexpr std::int64_t kTicksPerSecond = 10'000'000;
// From 1601-01-01 to 1970-01-01.
inline constexpr std::int64_t kEpochSince1601 = 11'644'473'600;

// Whole seconds: the part of a second is dropped, as the framework's time does.
inline std::int64_t SecondsFromFileTime(const FILETIME& time) {
    const std::uint64_t ticks =
        (std::uint64_t{time.dwHighDateTime} << 32) | std::uint64_t{time.dwLowDateTime};
    return static_cast<std::int64_t>(ticks / kTicksPerSecond) - kEpochSince1601;
}

// `seconds` must lie in [-kEpochSince1601, INT64_MAX / kTicksPerSecond - kEpochSince1601].
inline FILETIME FileTimeFromSeconds(std::int64_t seconds) {
    const auto ticks = static_cast<std::uint64_t>(seconds + kEpochSince1601) * kTicksPerSecond;
    FILETIME time{};
    time.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFFu);
    time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return time;
}

} // namespace vortan::fs
