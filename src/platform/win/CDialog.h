#pragma once

#include "platform/WinDef.h"
#include "platform/win/DialogTemplate.h"
#include "platform/win/WinUser.h"

// The framework's dialog: built from a template, run modally with its own nested loop, ended
// by EndDialog. Subclasses override OnInitDialog, OnOK, OnCancel, OnCommand or the whole
// WindowProc, and pass what they do not handle on to the base.
class CDialog {
public:
    explicit CDialog(const vortan::win::DialogTemplate& dialogTemplate, HWND parent = nullptr);
    virtual ~CDialog();

    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Creates the window, initializes it, shows it if the template says visible, and runs a
    // loop until EndDialog; the parent is disabled meanwhile. Returns the EndDialog result,
    // or -1 when the window could not be created, the dialog is already running, or a quit
    // request ended the loop (the request is posted again for the outer loop).
    INT_PTR DoModal();
    // Ends this dialog's loop only: a dialog running nested inside it keeps running, and this
    // loop ends once control is back in it.
    void EndDialog(int result);

    HWND GetSafeHwnd() const { return m_hWnd; }

protected:
    // Called once the controls exist; the window is still hidden. TRUE: the platform sets
    // the focus.
    virtual BOOL OnInitDialog();
    virtual void OnOK();     // IDOK: ends with IDOK
    virtual void OnCancel(); // IDCANCEL, Esc, WM_CLOSE: ends with IDCANCEL
    // WM_COMMAND; TRUE when handled. The base routes IDOK and IDCANCEL.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;

private:
    friend class CDialogHost; // the Windows dialog procedure

    // The created dialog's run, the same on every platform: shown if its template says so,
    // announced to the desktop service, the loop until EndDialog, the end announced.
    void RunCreatedDialog();
    void RunModalLoop();

    vortan::win::DialogTemplate m_template;
    HWND m_hWndParent = nullptr;
    bool m_bModalEnded = false;
    INT_PTR m_nModalResult = -1;
};
