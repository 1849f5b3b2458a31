#include <cstring>
#include <string>

#include "platform/ui/FolderBrowserModel.h"
#include "platform/ui/ShlObj.h"
#include "vortan/text/Utf.h"

namespace vortan::ui {

void* AllocateShellMemory(std::size_t size) {
    return CoTaskMemAlloc(size);
}

} // namespace vortan::ui

PIDLIST_ABSOLUTE VortanSHBrowseForFolder(LPBROWSEINFO bi) {
    // With a service installed the user is played (the unattended desktop, tests); otherwise
    // the shell asks the person.
    if (vortan::ui::GetFolderBrowserService() != nullptr || bi == nullptr)
        return vortan::ui::RunFolderBrowserModel(bi);
    return ::SHBrowseForFolderA(bi);
}

BOOL VortanSHGetPathFromIDList(PCIDLIST_ABSOLUTE pidl, LPSTR path) {
    if (path == nullptr)
        return FALSE;
    path[0] = '\0';
    std::string found;
    if (vortan::ui::IsModelItem(pidl)) {
        const char* itemPath = vortan::ui::ItemPath(pidl);
        if (itemPath == nullptr)
            return FALSE;
        found = itemPath;
    } else {
        wchar_t wide[MAX_PATH] = {};
        if (pidl == nullptr || !::SHGetPathFromIDListW(pidl, wide))
            return FALSE;
        found = vortan::text::Utf16ToUtf8(wide);
    }
    if (found.size() >= MAX_PATH)
        return FALSE;
    std::memcpy(path, found.c_str(), found.size() + 1);
    return TRUE;
}
