#pragma once

#include <cstdint>
#include <optional>

#include "platform/fs/LocalTime.h"

namespace vortan::fs {

// The local time zone as TZ says when the object is made. Conversions through it look at the
// zone no further, so a list of files pays for the zone once; a changed zone shows in the next
// object. On Windows the system converts with the zone it has at each conversion.
class LocalTimeZone final {
public:
    LocalTimeZone();

    // `time` (seconds since the epoch) broken down in this zone; empty when it cannot be
    // represented.
    std::optional<LocalTime> ToLocalTime(std::int64_t time) const;
};

} // namespace vortan::fs
