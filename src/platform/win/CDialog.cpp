#include "platform/win/CDialog.h"

#include "platform/ui/IDialogService.h"
#include "platform/win/WinUser.h"

void CDialog::RunCreatedDialog() {
    // A template marked visible is shown after initialization, even if OnInitDialog hid it.
    if (!m_bModalEnded && ::IsWindow(m_hWnd) && (m_template.style & WS_VISIBLE) != 0)
        ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
    // The desktop's turn: a view appears, or the script answers (by a posted click).
    const bool announced = !m_bModalEnded && ::IsWindow(m_hWnd);
    if (vortan::ui::IDialogService* service = vortan::ui::GetDialogService(); announced && service)
        service->OnModalDialogShown(m_hWnd, m_template);
    RunModalLoop();
    // Asked again: the desktop may have been replaced while the loop ran.
    if (vortan::ui::IDialogService* service = vortan::ui::GetDialogService();
        announced && service && ::IsWindow(m_hWnd))
        service->OnModalDialogEnded(m_hWnd, m_nModalResult);
}

void CDialog::EndDialog(int result) {
    m_nModalResult = result;
    m_bModalEnded = true;
    // The call may come from outside the loop (inside a component's call, a toolkit event
    // while it sleeps): wake it.
    if (m_hWnd != nullptr)
        ::PostMessage(m_hWnd, WM_NULL, 0, 0);
}

BOOL CDialog::OnInitDialog() {
    return TRUE;
}

void CDialog::OnOK() {
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM) {
    switch (LOWORD(wParam)) {
    case IDOK:
        OnOK();
        return TRUE;
    case IDCANCEL:
        OnCancel();
        return TRUE;
    default:
        return FALSE;
    }
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND:
        if (OnCommand(wParam, lParam))
            return 0;
        break;
    default:
        break;
    }
    return DefWindowProc(message, wParam, lParam);
}
