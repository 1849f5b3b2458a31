#include "platform/fs/FileSearch.h"

#include <algorithm>
#include <climits>
#include <dirent.h>
#include <fnmatch.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/fs/Path.h"

namespace vortan::fs {
namespace {

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

} // namespace

std::vector<std::string> FindFiles(std::string_view pattern) {
    std::vector<std::string> matches;
    const std::size_t slash = pattern.rfind('/');
    if (slash == std::string_view::npos || !IsUsablePath(pattern))
        return matches;
    const std::string folder(pattern.substr(0, slash + 1));
    const std::string namePattern(pattern.substr(slash + 1));
    const std::unique_ptr<DIR, DirCloser> dir(opendir(folder.c_str()));
    if (!dir)
        return matches;
    std::vector<std::string> names;
    while (const dirent* entry = readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        if (fnmatch(namePattern.c_str(), entry->d_name, FNM_NOESCAPE) == 0)
            names.emplace_back(name);
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        if (folder.size() + name.size() < kMaxPath)
            matches.push_back(folder + name);
    }
    return matches;
}

std::optional<std::string> ReadShortcutTarget(std::string_view path) {
    if (!IsUsablePath(path))
        return std::nullopt;
    const std::string link(path);
    struct stat st {};
    if (lstat(link.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return std::nullopt;
    char target[PATH_MAX];
    const ssize_t length = readlink(link.c_str(), target, sizeof target);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof target)
        return std::nullopt;
    std::string resolved(target, static_cast<std::size_t>(length));
    if (resolved.front() != '/')
        resolved = SplitPath(link).directory + resolved;
    const auto full = FullPath(resolved);
    if (!full || stat(full->c_str(), &st) != 0)
        return std::nullopt; // a dangling shortcut stays what it is
    return full;
}

} // namespace vortan::fs
