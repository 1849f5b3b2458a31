#pragma once

#include "platform/win/DialogTemplate.h"
#include "platform/win/WinUser.h"

namespace vortan::win {

// Creates a modeless dialog from the template as an in-memory DLGTEMPLATE, hidden whatever
// the template says (its runner shows it once initialized). `procedure` gets WM_INITDIALOG
// with `param` as USER32 sends it; the controls exist by then.
HWND CreateDialogFromTemplate(const DialogTemplate& dialogTemplate, HWND parent, DLGPROC procedure,
                              LPARAM param);

} // namespace vortan::win
