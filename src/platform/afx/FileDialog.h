#pragma once

#include <string>
#include <vector>

#include "platform/afx/AfxDefs.h"
#include "platform/ui/CommDlg.h"

// The framework's file dialog: a settings block (m_ofn) that owners change directly, a modal
// run through the platform's dialog with the framework's own hook, and a walk over the
// selection. A subclass sees the dialog through OnInitDialog (every style) and OnInitDone
// (explorer style).
class CFileDialog {
public:
    // lpszFilter: "description|pattern|...|" pairs, '|' ended, "||" at the end (null: none).
    CFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt = nullptr, LPCSTR lpszFileName = nullptr,
                DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCSTR lpszFilter = nullptr,
                HWND hWndParent = nullptr);
    virtual ~CFileDialog();

    CFileDialog(const CFileDialog&) = delete;
    CFileDialog& operator=(const CFileDialog&) = delete;

    // IDOK when the user confirmed, IDCANCEL otherwise (CommDlgExtendedError tells why).
    virtual INT_PTR DoModal();

    // The selection of the last confirmed run: first position, null when empty; each call of
    // GetNextPathName gives a full path and moves on, to null after the last.
    POSITION GetStartPosition() const;
    std::string GetNextPathName(POSITION& pos) const;

    // The settings block. lpstrFile points to the dialog's own buffer of kMaxPath bytes until
    // an owner points it elsewhere; lCustData and lpfnHook belong to the framework.
    OPENFILENAME m_ofn;

protected:
    // WM_INITDIALOG of the hook's window; TRUE lets the platform set the focus.
    virtual BOOL OnInitDialog();
    // CDN_INITDONE: the explorer-style dialog is ready.
    virtual void OnInitDone();

    // The hook's window while the dialog runs (its parent is the dialog window with explorer
    // style, itself without); null otherwise.
    HWND m_hWnd = nullptr;

private:
    static UINT_PTR HookProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    BOOL m_bOpenFileDialog = TRUE;
    std::vector<char> m_fileBuffer;
    std::string m_strFilter; // '|' turned into NUL
    std::string m_strDefExt;
};
