#include <cstdint>
#include <limits>
#include <windows.h>

#include "platform/fs/FileTimeWin32.h"
#include "platform/fs/LocalTimeZone.h"

namespace vortan::fs {

// The system converts with the zone it has at the moment of each call.
LocalTimeZone::LocalTimeZone() = default;

std::optional<LocalTime> LocalTimeZone::ToLocalTime(std::int64_t time) const {
    // FILETIME starts in 1601; the system converts ticks below 2^63 only.
    constexpr std::int64_t kLast =
        std::numeric_limits<std::int64_t>::max() / kTicksPerSecond - kEpochSince1601;
    if (time < -kEpochSince1601 || time > kLast)
        return std::nullopt;
    const FILETIME utc = FileTimeFromSeconds(time);
    FILETIME local{};
    SYSTEMTIME broken{};
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &broken))
        return std::nullopt;
    LocalTime result;
    result.day = broken.wDay;
    result.month = broken.wMonth;
    result.year = broken.wYear;
    result.hour = broken.wHour;
    result.minute = broken.wMinute;
    result.second = broken.wSecond;
    return result;
}

} // namespace vortan::fs
