#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/WinDef.h"
#include "platform/afx/AfxDefs.h"
#include "platform/afx/DataExchange.h"
#include "platform/ui/CommDlg.h"
#include "platform/ui/DeviceContext.h"
#include "platform/ui/ShellApi.h"
#include "platform/ui/ShlObj.h"
#include "platform/win/WinUser.h"
#include "selection/FileEditFlags.h"

class CFECFileDialog;

// A single-line edit control holding file names or one folder name, with a browse button of its
// own in its non-client area. It turns its text into full paths on demand, resolves shortcuts,
// expands wildcards, takes dropped files, and opens the file dialog or the folder browser.
class CFileEditCtrl {
public:
    // A self-deleting control deletes itself when its window is destroyed.
    explicit CFileEditCtrl(BOOL bAutoDelete = FALSE);
    virtual ~CFileEditCtrl();
    CFileEditCtrl(const CFileEditCtrl&) = delete;
    CFileEditCtrl& operator=(const CFileEditCtrl&) = delete;

    // Creates an edit window (geometry in the desktop's pixels) and applies the flags; FALSE,
    // with no window left, when the parent is no window or the flags are refused.
    virtual BOOL Create(FileEditFlags dwFlags, DWORD dwExStyle, LPCSTR lpszWindowName,
                        DWORD dwStyle, const RECT& rect, HWND hParentWnd, UINT nID);
    // Takes over the dialog's edit item `nID`; FALSE when there is no such edit item.
    BOOL SubclassDlgItem(UINT nID, HWND hParent);
    HWND GetSafeHwnd() const { return m_hWnd; }

    BOOL SetFlags(FileEditFlags dwFlags);
    FileEditFlags GetFlags() const;
    BOOL ModifyFlags(FileEditFlags remove, FileEditFlags add);

    // Parses the text if it changed; the first position, null when there is no entry.
    POSITION GetStartPosition();
    // The full path at `pos`, and `pos` moved on (null after the last). A position outside the
    // entries raises CInvalidArgException.
    std::string GetNextPathName(POSITION& pos) const;

    // The pre-browse notification, the browser of the mode, the post-browse notification.
    int Browse();

    // The file dialog's settings block (file mode) and the folder browser's (folder mode);
    // null in the other mode. A host changes them directly.
    OPENFILENAME* GetOpenFileName();
    CFECFileDialog* GetFileDialog() { return m_pCFileDialog.get(); }
    BROWSEINFO* GetBrowseInfo() { return m_pBROWSEINFO.get(); }

    // Display text `number` from the profile file; TRUE when a non-empty text was read.
    BOOL LookupText(int number, std::string& text) const;
    // Where LookupText reads (default: no file, section "Section1").
    void SetProfile(const std::string& file, const std::string& section);

    // Replaces `path` by the target of the shortcut it names; FALSE leaves it unchanged.
    static BOOL ResolveShortcut(std::string& path);

    int GetLastFileDialogResult() const { return m_nLastFileDialogResult; }
    // The text changed since it was last parsed.
    BOOL IsModified() const { return m_bModified; }

    // The browse button as a view draws it: rectangle relative to the window's top-left corner,
    // the state last drawn, whether the mouse is captured by it.
    const RECT& GetButtonRect() const { return m_rcButton; }
    int GetButtonState() const { return m_nButtonState; }
    BOOL IsCaptured() const { return m_bCaptured; }
    // Draws the button in `nButtonState` through the window's device context (if a view
    // attached one) and remembers the state.
    void DrawButton(int nButtonState);

    // The tooltip: created on first need; tool 1 is the button, tool 2 the edit area, both in
    // client coordinates. A view asks for the texts with TTN_NEEDTEXTA.
    BOOL HasTooltip() const { return m_bTooltipCreated; }
    RECT GetToolRect(UINT_PTR tool) const;
    void SetEditTooltipText(const std::string& text) { m_strEditTooltipText = text; }

    // The most recently constructed control; the validation and the file dialog's texts come
    // from it.
    static CFileEditCtrl* GetCurrent();
    // The control that owns `hwnd`, null when none does.
    static CFileEditCtrl* FromHandle(HWND hwnd);

    // Parses the text into the folder and the entries (exposed for the dialog exchange).
    void ParseText();

protected:
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The window is gone; a self-deleting control deletes itself here.
    virtual void PostNcDestroy();

private:
    friend void DDX_FileEditCtrl(CDataExchange* pDX, int nIDC, CFileEditCtrl& rCFEC,
                                 FileEditFlags dwFlags);
    friend void DDV_FileEditCtrl(CDataExchange* pDX, int nIDC);

    void Attach(HWND hwnd, bool created);
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

    void AddName(const std::string& name);
    void AppendEntry(std::string name);
    BOOL BrowseForFile();
    BOOL BrowseForFolder();
    static int FolderCallback(HWND hwnd, UINT message, LPARAM lParam, LPARAM lpData);
    void RecalcFrame();
    void OnDropFiles(HDROP hDrop);
    void OnNcCalcSize(BOOL bCalcValidRects, LPARAM lParam);
    bool ScreenPointOnButton(POINT screen) const;
    bool ClientPointOnButton(LPARAM lParam) const;
    void EnsureTooltip();
    LRESULT OnNeedText(NMHDR* header);
    void DrawDots(vortan::ui::IDeviceContext& dc, COLORREF color, int shift) const;

    HWND m_hWnd = nullptr;
    bool m_bCreatedWindow = false;
    vortan::win::WindowProcedure m_prevProc;

    BOOL m_bAutoDelete = FALSE;
    int m_nButtonSide = -1; // 0 right, ButtonOnLeft left, -1 not yet known
    BOOL m_bCaptured = FALSE;
    BOOL m_bModified = TRUE;
    FileEditFlags m_dwFlags = 0;
    std::vector<std::string> m_Files;
    int m_nButtonState = ButtonUp;
    int m_nLastFileDialogResult = IDCANCEL;
    std::unique_ptr<BROWSEINFO> m_pBROWSEINFO;
    std::unique_ptr<CFECFileDialog> m_pCFileDialog;
    RECT m_rcButton;
    std::string m_strDialogTitle;
    std::string m_strEditTooltipText;
    std::string m_strFolder;
    std::string m_strProfileFile;
    std::string m_strProfileSection = "Section1";
    BOOL m_bTooltipCreated = FALSE;
    RECT m_rcTools[2];
    std::string m_strFilter; // kept for the file dialog's lifetime
    std::string m_strInitialDir;
    std::string m_strToolText;
};

// Binds dialog item `nIDC` to the control (first exchange: subclass and apply the flags, both
// failures raise CNotSupportedException); later saving exchanges parse a changed text.
void DDX_FileEditCtrl(CDataExchange* pDX, int nIDC, CFileEditCtrl& rCFEC, FileEditFlags dwFlags);
// Checks, when data are saved, that every entry names an existing file (file mode) or folder
// (folder mode); shows the reason and fails the exchange otherwise. Item `nIDC` must be a
// CFileEditCtrl, else CNotSupportedException.
void DDV_FileEditCtrl(CDataExchange* pDX, int nIDC);

// Cuts `path` back to the deepest folder that exists and ends it with '/'; TRUE when it was an
// existing folder to begin with. A path without a folder that exists becomes empty.
bool DeepestExistingFolder(std::string& path);
