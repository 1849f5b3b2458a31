#pragma once

// The ids of the program's resources: dialogs, their controls, strings and icons. Code that
// looks up a control of a resource dialog names it from here.

#include "platform/WinDef.h"

namespace vortan::resources {

inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDD_VORTAN_DIALOG = 102;
inline constexpr int IDD_SELECT_FILE = 131;      // invisible host of the file selection
inline constexpr int IDD_SELECT_DIRECTORY = 132; // invisible host of the folder browser
inline constexpr int IDD_OVERWRITE = 133;

// The progress window (IDD_VORTAN_DIALOG).
inline constexpr int IDC_PROGRESS = 1000;
inline constexpr int IDC_STATUS = 1004;
// The file edit control of IDD_SELECT_FILE.
inline constexpr int IDC_FILE_EDIT = 1008;
// The overwrite question (IDD_OVERWRITE); its buttons are IDOK (Ja), IDNO (Nein), IDCANCEL
// (Abbrechen) and IDC_OVERWRITE_ALL.
inline constexpr int IDC_FILE_LINE = 1010;
inline constexpr int IDC_FILE_NAME = 1011;
inline constexpr int IDC_DIRECTORY_LINE = 1012;
inline constexpr int IDC_DIRECTORY = 1013;
inline constexpr int IDC_OVERWRITE_ALL = 1014;
inline constexpr int IDC_GROUP = 1016;
// <windows.h> names a cursor IDC_ICON, which this program never loads.
#undef IDC_ICON
inline constexpr int IDC_ICON = 1018;

inline constexpr UINT IDS_OLE_INIT_FAILED = 100;
inline constexpr UINT IDS_ABOUTBOX = 101;

inline constexpr int IDR_MAINFRAME = 128; // the about box's icon
inline constexpr int IDI_VORTAN = 130;    // the window's icon

} // namespace vortan::resources
