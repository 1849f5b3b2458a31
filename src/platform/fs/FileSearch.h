#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vortan::fs {

// The platform's file search: full paths of the entries of the pattern's folder whose names
// match its last component ('*' any run of bytes, '?' one byte; dot files are matched like
// others, "." and ".." never), in byte order of their names. Wildcards in the folder part are
// not expanded. An unreadable folder or a pattern without a folder gives nothing. On Windows
// the folder ends in a backslash or '/', and names match as FindFirstFileA matches them (short
// names too).
std::vector<std::string> FindFiles(std::string_view pattern);

// The target of a shortcut: `path` is a symbolic link (on Windows a shell link file, read
// through IShellLinkA) whose target exists. One level, never searched: a moved target is not
// looked for. The target comes back as a full path (a relative symbolic link is taken from the
// link's folder; a shell link stores a full path); nullopt for anything else or a target of
// kMaxPath bytes or more.
std::optional<std::string> ReadShortcutTarget(std::string_view path);

} // namespace vortan::fs
