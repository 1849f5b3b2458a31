#include "platform/ui/CommDlg.h"
#include "platform/ui/FileDialogModel.h"

namespace {

// With a service installed the user is played (the unattended desktop, tests); otherwise
// COMDLG32 asks the person.
BOOL RunFileDialog(LPOPENFILENAME ofn, bool save) {
    if (vortan::ui::GetFileDialogService() != nullptr)
        return vortan::ui::RunFileDialogModel(ofn, save);
    const BOOL chosen = save ? ::GetSaveFileNameA(ofn) : ::GetOpenFileNameA(ofn);
    vortan::ui::g_extendedError = chosen ? 0 : (CommDlgExtendedError)(); // COMDLG32's own
    return chosen;
}

} // namespace

BOOL VortanGetOpenFileName(LPOPENFILENAME ofn) {
    return RunFileDialog(ofn, false);
}

BOOL VortanGetSaveFileName(LPOPENFILENAME ofn) {
    return RunFileDialog(ofn, true);
}

DWORD VortanCommDlgExtendedError() {
    return vortan::ui::g_extendedError;
}
