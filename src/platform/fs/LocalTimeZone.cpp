#include "platform/fs/LocalTimeZone.h"

#include <ctime>
#include <limits>

namespace vortan::fs {

LocalTimeZone::LocalTimeZone() {
    // localtime_r keeps the zone of the last tzset; this is where a changed TZ is taken up.
    tzset();
}

std::optional<LocalTime> LocalTimeZone::ToLocalTime(std::int64_t time) const {
    static_assert(sizeof(std::time_t) >= sizeof(time), "time_t must hold every time value");
    const auto value = static_cast<std::time_t>(time);
    std::tm tm{};
    if (localtime_r(&value, &tm) == nullptr)
        return std::nullopt;
    if (tm.tm_year > std::numeric_limits<int>::max() - 1900)
        return std::nullopt;
    LocalTime local;
    local.day = tm.tm_mday;
    local.month = tm.tm_mon + 1;
    local.year = tm.tm_year + 1900;
    local.hour = tm.tm_hour;
    local.minute = tm.tm_min;
    local.second = tm.tm_sec;
    return local;
}

} // namespace vortan::fs
