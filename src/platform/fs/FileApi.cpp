#include "platform/fs/FileApi.h"

#include <string_view>
#include <sys/stat.h>

#include "platform/fs/Path.h"

DWORD GetFileAttributesA(LPCSTR lpFileName) {
    if (lpFileName == nullptr || !vortan::fs::IsUsablePath(lpFileName))
        return INVALID_FILE_ATTRIBUTES;
    struct stat st {};
    if (stat(lpFileName, &st) != 0)
        return INVALID_FILE_ATTRIBUTES;
    return S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
}
