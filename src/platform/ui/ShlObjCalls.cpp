#include <cstdlib>
#include <cstring>

#include "platform/fs/Path.h"
#include "platform/ui/FolderBrowserModel.h"
#include "platform/ui/ShlObj.h"

namespace vortan::ui {

void* AllocateShellMemory(std::size_t size) {
    return std::malloc(size);
}

} // namespace vortan::ui

PIDLIST_ABSOLUTE SHBrowseForFolder(LPBROWSEINFO bi) {
    return vortan::ui::RunFolderBrowserModel(bi);
}

BOOL SHGetPathFromIDList(PCIDLIST_ABSOLUTE pidl, LPSTR path) {
    if (path == nullptr)
        return FALSE;
    path[0] = '\0';
    const char* itemPath = vortan::ui::ItemPath(pidl);
    if (itemPath == nullptr)
        return FALSE;
    const std::size_t length = std::strlen(itemPath);
    if (length >= vortan::fs::kMaxPath)
        return FALSE;
    std::memcpy(path, itemPath, length + 1);
    return TRUE;
}

void CoTaskMemFree(void* pv) {
    std::free(pv);
}
