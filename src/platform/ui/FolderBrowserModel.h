#pragma once

// The folder browser as the window model knows it: a dialog window with title, status and
// selection controls, the caller's callback, and the installed folder browser service that
// chooses. Behind SHBrowseForFolder.

#include <cstddef>

#include "platform/ui/ShlObj.h"

namespace vortan::ui {

// Runs the callback on the browser's window and asks the service (none: cancelled); the
// chosen item (CreateItemIdList), or null.
PIDLIST_ABSOLUTE RunFolderBrowserModel(LPBROWSEINFO bi);

// Items made by CreateItemIdList, and their paths (null for an item without one).
bool IsModelItem(PCIDLIST_ABSOLUTE pidl);
const char* ItemPath(PCIDLIST_ABSOLUTE pidl);

// The shell's allocator, which CoTaskMemFree frees.
void* AllocateShellMemory(std::size_t size);

} // namespace vortan::ui
