#pragma once

#include <string>

#include "platform/fs/LocalTime.h"

namespace vortan::engine {

// "dd.mm.yyyy hh:mm:ss" as the file list shows a creation time; a failed conversion
// (LocalTime's defaults) prints as "00.00.0000 -1:-1:-1".
std::string FormatFileDate(const vortan::fs::LocalTime& time);

} // namespace vortan::engine
