#include "platform/afx/DataExchange.h"

#include "platform/win/WinUser.h"

CUserException::CUserException() : std::runtime_error("Data exchange failed") {}

void AfxThrowUserException() {
    throw CUserException();
}

HWND CDataExchange::PrepareCtrl(int nIDC) {
    const HWND control = ::GetDlgItem(m_hWndDlg, nIDC);
    m_hWndLastControl = control;
    return control;
}

HWND CDataExchange::PrepareEditCtrl(int nIDC) {
    return PrepareCtrl(nIDC);
}

void CDataExchange::Fail() {
    // The user corrects the value where it is wrong.
    if (m_hWndLastControl != nullptr && ::IsWindow(m_hWndLastControl)) {
        ::SetFocus(m_hWndLastControl);
        ::SendMessage(m_hWndLastControl, EM_SETSEL, 0, -1);
    }
    AfxThrowUserException();
}
