#pragma once

#include "platform/WinDef.h"
#include "platform/win/WinUser.h"

class CFileEditCtrl;

// The flag set of the file edit control. Bits outside these are kept and have no effect.
using FileEditFlags = DWORD;
inline constexpr FileEditFlags FileMode = 0x001;
inline constexpr FileEditFlags MultipleFiles = 0x002;
inline constexpr FileEditFlags FolderMode = 0x004;
inline constexpr FileEditFlags TrailingBackslash = 0x008; // folder paths end in '/'
inline constexpr FileEditFlags ButtonOnLeft = 0x010;
inline constexpr FileEditFlags ButtonTooltip = 0x020;
inline constexpr FileEditFlags EditTooltip = 0x040;
inline constexpr FileEditFlags ExpandWildcards = 0x080;
inline constexpr FileEditFlags KeepShortcuts = 0x100;
inline constexpr FileEditFlags OpenDialog = 0x200;

// Sent to the parent with WM_NOTIFY around a browse (wParam: the control's id).
inline constexpr UINT NotifyPreBrowse = 1;
inline constexpr UINT NotifyPostBrowse = 2;

struct FileEditNotify {
    NMHDR hdr;
    CFileEditCtrl* pFEC = nullptr;
};

// States of the browse button, as last drawn.
inline constexpr int ButtonUp = 0;
inline constexpr int ButtonDown = 1;
inline constexpr int ButtonDisabled = 2;
