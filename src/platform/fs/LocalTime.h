#pragma once

#include <cstdint>
#include <optional>

namespace vortan::fs {

// A point in time broken down in the local time zone. The defaults are the values the
// framework reports for a time it cannot convert, so a failed conversion prints as such.
struct LocalTime {
    int day = 0;     // 1-31
    int month = 0;   // 1-12
    int year = 0;    // four digits
    int hour = -1;   // 0-23
    int minute = -1; // 0-59
    int second = -1; // 0-60
};

// `time` (seconds since the epoch) in the current local time zone, as TZ says at the moment
// of the call (on Windows as FileTimeToLocalFileTime converts: with the zone's present bias).
// Empty when the time cannot be represented.
std::optional<LocalTime> ToLocalTime(std::int64_t time);

} // namespace vortan::fs
