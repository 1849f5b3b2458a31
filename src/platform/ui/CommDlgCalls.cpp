#include "platform/ui/CommDlg.h"
#include "platform/ui/FileDialogModel.h"

BOOL GetOpenFileName(LPOPENFILENAME ofn) {
    return vortan::ui::RunFileDialogModel(ofn, false);
}

BOOL GetSaveFileName(LPOPENFILENAME ofn) {
    return vortan::ui::RunFileDialogModel(ofn, true);
}

DWORD CommDlgExtendedError() {
    return vortan::ui::g_extendedError;
}
