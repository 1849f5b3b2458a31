#pragma once

#include <stdexcept>

#include "platform/WinDef.h"

// The framework's exception that ends a data exchange quietly: the message has been shown.
class CUserException final : public std::runtime_error {
public:
    CUserException();
};

[[noreturn]] void AfxThrowUserException();

// The context of one data exchange between a dialog and its members.
class CDataExchange {
public:
    CDataExchange(HWND dialog, BOOL bSaveAndValidate)
        : m_hWndDlg(dialog), m_bSaveAndValidate(bSaveAndValidate) {}

    // The dialog item `nIDC` (null when there is none) as the current control of the exchange.
    HWND PrepareEditCtrl(int nIDC);
    HWND PrepareCtrl(int nIDC);
    // Ends the exchange: focus back to the last prepared control, CUserException raised.
    [[noreturn]] void Fail();

    HWND m_hWndDlg = nullptr;
    BOOL m_bSaveAndValidate = FALSE;
    HWND m_hWndLastControl = nullptr;
};
