#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vortan::fs {

// Longest path the file system accepts, in bytes including the terminating zero: PATH_MAX,
// and on Windows MAX_PATH, the limit of the system's ANSI calls. A longer path is refused,
// never shortened: a shortened path names a different file.
#ifdef _WIN32
inline constexpr std::size_t kMaxPath = 260;
#else
inline constexpr std::size_t kMaxPath = 4096;
#endif

// The separator put between a directory and a name; IsPathSeparator tells every byte that
// separates path parts: '/', and on Windows a backslash too.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

bool IsPathSeparator(char c);

// Position of the last separator in `path`, or npos.
std::size_t FindLastSeparator(std::string_view path);

// `directory`, the separator and `name`. The separator goes in even after one that ends the
// directory: the file system takes a doubled one as one, and the text stays as it was built.
inline std::string JoinPath(std::string_view directory, std::string_view name) {
    std::string path;
    path.reserve(directory.size() + 1 + name.size());
    path.append(directory).append(1, kPathSeparator).append(name);
    return path;
}

// True when `path` begins with a drive, as SplitPath takes one (a second byte ':'); on POSIX,
// where the root plays the drive, when it begins with '/'.
bool BeginsWithDrive(std::string_view path);

// True when `path` is a drive's root directory: "X:\" or "X:/" on Windows, "/" on POSIX.
bool IsDriveRoot(std::string_view path);

// True when `name`, joined to a directory, names an entry of that directory and nothing
// else: not empty, not "." or "..", no separator; on Windows no ':' either (a drive or a
// stream). A name from the board or a client that fails this could leave the directory.
bool IsNameInDirectory(std::string_view name);

// A path taken apart the way the platform's _splitpath does: drive + directory + name +
// extension gives the path back. The separator is '/'; on Windows a backslash too.
struct PathParts {
    std::string drive;     // "X:" on Windows; empty without a drive letter, always on POSIX
    std::string directory; // up to and including the last separator
    std::string name;      // file name without extension
    std::string extension; // from the last '.' of the file name on, dot included
};

// The extension starts at the last dot, a leading one too: ".profile" is an empty name with
// the extension ".profile", as the platform splits it.
PathParts SplitPath(std::string_view path);

// Absolute form of `path` (_fullpath): relative paths are taken from the current directory,
// "." and ".." and repeated '/' are folded without looking at the disk, a trailing '/' stays.
// Empty: an empty path, a path with a NUL byte, an unknown current directory, or a result of
// kMaxPath bytes or more.
std::optional<std::string> FullPath(std::string_view path);

// True when `path` names the same file whatever the current directory: it begins with '/'.
// On Windows: a drive letter, ':' and a separator (C:\x), or a network path (\\server\share);
// a path on the current drive (\x), one relative to a drive's current directory (C:x) and the
// device namespaces (\\.\ and \\?\ in front) are not.
bool IsAbsolutePath(std::string_view path);

// True when `path` can be handed to the file system as it stands: no NUL byte inside and
// shorter than kMaxPath.
bool IsUsablePath(std::string_view path);

} // namespace vortan::fs
