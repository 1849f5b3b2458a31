#include <string>
#include <windows.h>

#include "platform/fs/FileStatus.h"
#include "platform/fs/FileTimeWin32.h"
#include "platform/fs/Path.h"

namespace vortan::fs {

std::optional<FileStatus> GetFileStatus(std::string_view path) {
    if (!IsUsablePath(path))
        return std::nullopt;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(std::string(path).c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    FileStatus status;
    status.size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    status.creationTime = SecondsFromFileTime(data.ftCreationTime);
    return status;
}

bool FileExists(std::string_view path) {
    return IsUsablePath(path) &&
           GetFileAttributesA(std::string(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace vortan::fs
