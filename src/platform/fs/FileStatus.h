#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vortan::fs {

struct FileStatus {
    std::uint64_t size = 0;
    std::int64_t creationTime = 0; // seconds since the epoch
};

// Size and creation time of a file or directory. The creation time is the birth time where
// the file system records one, else the time of the last modification (on Windows always the
// creation time the file system keeps). Empty when the file
// does not exist or cannot be examined, or when the path is not usable (see IsUsablePath).
std::optional<FileStatus> GetFileStatus(std::string_view path);

// Whether a directory entry exists under `path`, a symbolic link included (not followed,
// so a dangling one exists too); access rights are not looked at.
bool FileExists(std::string_view path);

} // namespace vortan::fs
