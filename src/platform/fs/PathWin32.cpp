#include <windows.h>

#include "platform/fs/Path.h"

namespace vortan::fs {

static_assert(kMaxPath == MAX_PATH, "kMaxPath must follow the system's limit");

namespace {

bool IsDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// \\server\share: a server name that is not one of the device namespaces, then a share.
bool IsNetworkPath(std::string_view path) {
    if (path.size() < 2 || !IsPathSeparator(path[0]) || !IsPathSeparator(path[1]))
        return false;
    const std::string_view rest = path.substr(2);
    const std::size_t end = rest.find_first_of("\\/");
    const std::string_view server = rest.substr(0, end);
    if (end == std::string_view::npos || server.empty() || server == "." || server == "?")
        return false;
    return end + 1 < rest.size() && !IsPathSeparator(rest[end + 1]);
}

} // namespace

bool IsPathSeparator(char c) {
    return c == '\\' || c == '/';
}

std::size_t FindLastSeparator(std::string_view path) {
    return path.find_last_of("\\/");
}

bool BeginsWithDrive(std::string_view path) {
    return path.size() >= 2 && path[1] == ':';
}

bool IsDriveRoot(std::string_view path) {
    return path.size() == 3 && IsDriveLetter(path[0]) && path[1] == ':' && IsPathSeparator(path[2]);
}

bool IsNameInDirectory(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("\\/:") == std::string_view::npos;
}

PathParts SplitPath(std::string_view path) {
    PathParts parts;
    // _splitpath takes the first two bytes as the drive whenever the second is a colon.
    if (path.size() >= 2 && path[1] == ':') {
        parts.drive = path.substr(0, 2);
        path.remove_prefix(2);
    }
    const std::size_t separator = FindLastSeparator(path);
    std::string_view file = path;
    if (separator != std::string_view::npos) {
        parts.directory = path.substr(0, separator + 1);
        file = path.substr(separator + 1);
    }
    const std::size_t dot = file.rfind('.');
    parts.name = file.substr(0, dot);
    if (dot != std::string_view::npos)
        parts.extension = file.substr(dot);
    return parts;
}

std::optional<std::string> FullPath(std::string_view path) {
    if (path.empty() || path.find('\0') != std::string_view::npos)
        return std::nullopt;
    const std::string relative(path);
    char full[kMaxPath];
    // The length without the zero, or the size needed when the buffer is too small.
    const DWORD length = GetFullPathNameA(relative.c_str(), sizeof full, full, nullptr);
    if (length == 0 || length >= sizeof full)
        return std::nullopt;
    return std::string(full, length);
}

bool IsAbsolutePath(std::string_view path) {
    if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == ':' && IsPathSeparator(path[2]))
        return true;
    return IsNetworkPath(path);
}

bool IsUsablePath(std::string_view path) {
    return path.size() < kMaxPath && path.find('\0') == std::string_view::npos;
}

} // namespace vortan::fs
