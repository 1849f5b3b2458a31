#pragma once

#include <string>
#include <vector>

#include "platform/WinDef.h"
#include "platform/afx/DataExchange.h"
#include "platform/win/CDialog.h"
#include "selection/FileEditCtrl.h"

class CFileList;

// The file selection behind ShowFileSelectDialog and a read's replacement file: an invisible
// host whose file edit control opens the file dialog while the host is being initialised. The
// host ends at once with IDOK after a confirmed choice (the caller's list then holds one entry
// per chosen file, in order) and IDCANCEL otherwise (the list as it was; -1 when the host could
// not run at all).
class CSelectFileDlg : public CDialog {
public:
    // A profile file and section, both given, become the control's text source; otherwise the
    // control keeps its built-in texts. `dwOpenFileFlags` (OFN_*) are added to the file
    // dialog's own flags, `dwControlFlags` (FileEditFlags) choose the mode and the dialog kind.
    CSelectFileDlg(HWND hWndParent, const char* profileFile, const char* profileSection,
                   const char* initialDirectory, DWORD dwOpenFileFlags, DWORD dwControlFlags,
                   CFileList& fileList);
    ~CSelectFileDlg() override;

    // The extension a typed name without one gets; leading dots are dropped.
    void SetDefaultExtension(const char* extension);
    // The name the file dialog proposes (when the initial directory exists).
    void SetFileName(const char* fileName);

protected:
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    virtual void DoDataExchange(CDataExchange* pDX);

private:
    // Runs the data exchange; a failure is reported here, as the framework reports it.
    BOOL UpdateData(BOOL bSaveAndValidate);
    void OnPreBrowse();
    void OnPostBrowse();

    CFileEditCtrl m_FileEditCtrl;
    CFileList& m_rFileList;
    DWORD m_dwOpenFileFlags = 0;
    DWORD m_dwControlFlags = 0;
    std::string m_strProfileFile;
    std::string m_strProfileSection;
    std::string m_strInitialDirectory;
    std::string m_strDefaultExtension;
    // The file dialog's file name buffer: the proposed name in, the selection out. One path of
    // any length the system takes fits; a longer multiple selection fails as too large.
    std::vector<char> m_szSelection;
};
