#include "platform/fs/Path.h"

#include <climits>
#include <unistd.h>
#include <vector>

namespace vortan::fs {

static_assert(kMaxPath == PATH_MAX, "kMaxPath must follow the system's limit");

PathParts SplitPath(std::string_view path) {
    PathParts parts;
    const std::size_t slash = FindLastSeparator(path);
    std::string_view file = path;
    if (slash != std::string_view::npos) {
        parts.directory = path.substr(0, slash + 1);
        file = path.substr(slash + 1);
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

    std::string combined;
    if (path.front() != '/') {
        char cwd[PATH_MAX];
        if (getcwd(cwd, sizeof cwd) == nullptr)
            return std::nullopt;
        combined = cwd;
        combined += '/';
    }
    combined += path;

    std::vector<std::string_view> components;
    std::string_view rest = combined;
    while (!rest.empty()) {
        const std::size_t slash = rest.find('/');
        const std::string_view part = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view{} : rest.substr(slash + 1);
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            // ".." of the root is the root.
            if (!components.empty())
                components.pop_back();
            continue;
        }
        components.push_back(part);
    }

    std::string result;
    for (const std::string_view part : components) {
        result += '/';
        result += part;
    }
    if (result.empty() || path.back() == '/')
        result += '/'; // the root, or a directory written with its separator
    if (result.size() >= kMaxPath)
        return std::nullopt;
    return result;
}

bool IsAbsolutePath(std::string_view path) {
    return !path.empty() && path.front() == '/';
}

bool IsPathSeparator(char c) {
    return c == '/';
}

std::size_t FindLastSeparator(std::string_view path) {
    return path.rfind('/');
}

bool BeginsWithDrive(std::string_view path) {
    return !path.empty() && path.front() == '/';
}

bool IsDriveRoot(std::string_view path) {
    return path == "/";
}

bool IsNameInDirectory(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos;
}

bool IsUsablePath(std::string_view path) {
    return path.size() < kMaxPath && path.find('\0') == std::string_view::npos;
}

} // namespace vortan::fs
