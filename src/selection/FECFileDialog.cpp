#include "selection/FECFileDialog.h"

#include "resources/TextKeys.h"
#include "selection/FileEditCtrl.h"

CFECFileDialog::CFECFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt, LPCSTR lpszFileName,
                               DWORD dwFlags, LPCSTR lpszFilter, HWND hWndParent)
    : CFileDialog(bOpenFileDialog, lpszDefExt, lpszFileName, dwFlags, lpszFilter, hWndParent) {}

CFECFileDialog::~CFECFileDialog() = default;

void CFECFileDialog::ButtonTexts(std::string& ok, std::string& cancel) {
    // The texts come through the current control, whichever control opened the dialog.
    const CFileEditCtrl* current = CFileEditCtrl::GetCurrent();
    if (current == nullptr || !current->LookupText(vortan::resources::kTextDialogOk, ok))
        ok = "&Schreiben";
    if (current == nullptr || !current->LookupText(vortan::resources::kTextDialogCancel, cancel))
        cancel = "&Abbrechen";
}

BOOL CFECFileDialog::OnInitDialog() {
    CFileDialog::OnInitDialog();
    if ((m_ofn.Flags & OFN_EXPLORER) == 0) {
        std::string ok;
        std::string cancel;
        ButtonTexts(ok, cancel);
        ::SetDlgItemText(m_hWnd, IDOK, ok.c_str());
        ::SetDlgItemText(m_hWnd, IDCANCEL, cancel.c_str());
    }
    // Centring is the desktop's: every view places a dialog over the middle of the screen.
    return TRUE;
}

void CFECFileDialog::OnInitDone() {
    std::string ok;
    std::string cancel;
    ButtonTexts(ok, cancel);
    const HWND dialog = ::GetParent(m_hWnd);
    ::SendMessage(dialog, CDM_SETCONTROLTEXT, IDOK, reinterpret_cast<LPARAM>(ok.c_str()));
    ::SendMessage(dialog, CDM_SETCONTROLTEXT, IDCANCEL, reinterpret_cast<LPARAM>(cancel.c_str()));
}
