#pragma once

// The program's resources as data: dialog templates, the string table and the icons.

#include "platform/WinDef.h"
#include "platform/win/DialogTemplate.h"

#include <span>
#include <string>

namespace vortan::resources {

inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDD_VORTAN_DIALOG = 102;
inline constexpr int IDD_SELECT_FILE = 131;      // invisible host of the file selection
inline constexpr int IDD_SELECT_DIRECTORY = 132; // invisible host of the folder browser
inline constexpr int IDD_OVERWRITE = 133;

inline constexpr int IDC_FILE_EDIT = 1008; // the file edit control of IDD_SELECT_FILE

inline constexpr UINT IDS_OLE_INIT_FAILED = 100;
inline constexpr UINT IDS_ABOUTBOX = 101;

inline constexpr int IDR_MAINFRAME = 128; // the about box's icon
inline constexpr int IDI_VORTAN = 130;    // the window's icon

// The dialog template with `id`; null if there is none.
const win::DialogTemplate* FindDialogTemplate(int id);

// The string with `id` (UTF-8); empty if there is none, as LoadString reports a missing one.
std::string LoadStringResource(UINT id);

// The PNG bytes of the icon with `id`; empty if there is none.
std::span<const unsigned char> FindIconResource(int id);

} // namespace vortan::resources
