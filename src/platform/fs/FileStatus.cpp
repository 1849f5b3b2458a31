#include "platform/fs/FileStatus.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>

#include "platform/fs/Path.h"

namespace vortan::fs {

std::optional<FileStatus> GetFileStatus(std::string_view path) {
    if (!IsUsablePath(path))
        return std::nullopt;
    const std::string cpath(path);

    struct statx stx {};
    if (statx(AT_FDCWD, cpath.c_str(), 0, STATX_SIZE | STATX_MTIME | STATX_BTIME, &stx) == 0) {
        FileStatus status;
        status.size = stx.stx_size;
        status.creationTime =
            (stx.stx_mask & STATX_BTIME) != 0 ? stx.stx_btime.tv_sec : stx.stx_mtime.tv_sec;
        return status;
    }
    if (errno != ENOSYS)
        return std::nullopt;

    // Kernels without statx: no birth time at all.
    struct stat st {};
    if (stat(cpath.c_str(), &st) != 0)
        return std::nullopt;
    FileStatus status;
    status.size = static_cast<std::uint64_t>(st.st_size);
    status.creationTime = st.st_mtim.tv_sec;
    return status;
}

bool FileExists(std::string_view path) {
    if (!IsUsablePath(path))
        return false;
    struct stat st {};
    // The entry itself: a symbolic link exists even when its target does not.
    return lstat(std::string(path).c_str(), &st) == 0;
}

} // namespace vortan::fs
