#pragma once

// Files dropped onto a window: WM_DROPFILES carries an HDROP in wParam. The receiver reads the
// names with DragQueryFile and frees the drop with DragFinish.

#include <string>
#include <vector>

#include "platform/WinDef.h"

#ifdef _WIN32
#include <shellapi.h>

// Names in UTF-8 (the "A" call gives them in the ANSI code page); lengths count bytes.
#undef DragQueryFile
#define DragQueryFile VortanDragQueryFile
UINT VortanDragQueryFile(HDROP hDrop, UINT iFile, LPSTR lpszFile, UINT cch);
#else
struct HDROP__;
using HDROP = HDROP__*;

// index 0xFFFFFFFF: the number of files. Otherwise the length of file `index` without its NUL;
// with a buffer, as much of the name as fits with its NUL is copied (a name that does not fit
// is cut; check the length first). An index past the end gives 0.
UINT DragQueryFile(HDROP hDrop, UINT iFile, LPSTR lpszFile, UINT cch);
void DragFinish(HDROP hDrop);
#endif

namespace vortan::ui {

// A drop of these full paths, in this order, as a view hands it over with WM_DROPFILES. The
// receiver owns it from then on (DragFinish).
HDROP CreateDrop(const std::vector<std::string>& paths);

} // namespace vortan::ui
