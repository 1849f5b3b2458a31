#pragma once

// The file dialog as the window model knows it: a dialog window whose buttons the hook may
// rename, and the installed file dialog service that chooses. Behind GetOpenFileName and
// GetSaveFileName.

#include "platform/ui/CommDlg.h"

namespace vortan::ui {

// Runs the hook on the dialog's window, asks the service (none: cancelled) and writes the
// selection into lpstrFile; the outcome's extended error goes to g_extendedError.
BOOL RunFileDialogModel(LPOPENFILENAME ofn, bool save);

// The extended error of this thread's last file dialog.
extern thread_local DWORD g_extendedError;

} // namespace vortan::ui
