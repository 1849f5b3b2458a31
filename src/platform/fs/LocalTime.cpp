#include "platform/fs/LocalTime.h"

#include "platform/fs/LocalTimeZone.h"

namespace vortan::fs {

std::optional<LocalTime> ToLocalTime(std::int64_t time) {
    return LocalTimeZone().ToLocalTime(time);
}

} // namespace vortan::fs
