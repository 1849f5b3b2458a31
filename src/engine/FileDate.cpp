#include "engine/FileDate.h"

#include <cstdio>

namespace vortan::engine {

std::string FormatFileDate(const vortan::fs::LocalTime& time) {
    char text[96]; // room for six full-width ints
    const int length = std::snprintf(text, sizeof text, "%02d.%02d.%04d %02d:%02d:%02d", time.day,
                                     time.month, time.year, time.hour, time.minute, time.second);
    return std::string(text, static_cast<std::size_t>(length));
}

} // namespace vortan::engine
