#include "platform/fs/Path.h"

#include <climits>

namespace vortan::fs {

static_assert(kMaxPath == PATH_MAX, "kMaxPath must follow the system's limit");

PathParts SplitPath(std::string_view path) {
    PathParts parts;
    const std::size_t slash = path.rfind('/');
    std::string_view file = path;
    if (slash != std::string_view::npos) {
        parts.directory = path.substr(0, slash + 1);
        file = path.substr(slash + 1);
    }
    const std::size_t firstNonDot = file.find_first_not_of('.');
    const std::size_t dot = file.rfind('.');
    if (firstNonDot != std::string_view::npos && dot != std::string_view::npos &&
        dot > firstNonDot) {
        parts.name = file.substr(0, dot);
        parts.extension = file.substr(dot);
    } else {
        parts.name = file;
    }
    return parts;
}

bool IsUsablePath(std::string_view path) {
    return path.size() < kMaxPath && path.find('\0') == std::string_view::npos;
}

} // namespace vortan::fs
