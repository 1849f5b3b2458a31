#include "selection/SelectFileDlg.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "engine/FileList.h"
#include "platform/fs/FileApi.h"
#include "platform/fs/Path.h"
#include "platform/ui/MessageBox.h"
#include "platform/win/WinUser.h"
#include "resources/Resources.h"

namespace {

using vortan::resources::IDC_FILE_EDIT;

bool Given(const char* text) {
    return text != nullptr && *text != '\0';
}

} // namespace

CSelectFileDlg::CSelectFileDlg(HWND hWndParent, const char* profileFile, const char* profileSection,
                               const char* initialDirectory, DWORD dwOpenFileFlags,
                               DWORD dwControlFlags, CFileList& fileList)
    : CDialog(*vortan::resources::FindDialogTemplate(vortan::resources::IDD_SELECT_FILE),
              hWndParent),
      m_FileEditCtrl(FALSE), m_rFileList(fileList), m_dwOpenFileFlags(dwOpenFileFlags),
      m_dwControlFlags(dwControlFlags), m_szSelection(vortan::fs::kMaxPath, '\0') {
    if (initialDirectory != nullptr)
        m_strInitialDirectory = initialDirectory;
    if (Given(profileFile) && Given(profileSection)) {
        m_strProfileFile = profileFile;
        m_strProfileSection = profileSection;
        m_FileEditCtrl.SetProfile(m_strProfileFile, m_strProfileSection);
    }
}

CSelectFileDlg::~CSelectFileDlg() = default;

void CSelectFileDlg::SetDefaultExtension(const char* extension) {
    std::string text = extension != nullptr ? extension : "";
    text.erase(0, text.find_first_not_of('.'));
    m_strDefaultExtension = std::move(text);
}

void CSelectFileDlg::SetFileName(const char* fileName) {
    const std::size_t length =
        fileName != nullptr ? std::min(std::strlen(fileName), m_szSelection.size() - 1) : 0;
    std::fill(m_szSelection.begin(), m_szSelection.end(), '\0');
    if (length > 0)
        std::memcpy(m_szSelection.data(), fileName, length);
}

void CSelectFileDlg::DoDataExchange(CDataExchange* pDX) {
    DDX_FileEditCtrl(pDX, IDC_FILE_EDIT, m_FileEditCtrl, m_dwControlFlags);
    // Checks only when data are saved, which this host never does: the chosen names are the
    // file dialog's and are not validated again.
    DDV_FileEditCtrl(pDX, IDC_FILE_EDIT);
}

BOOL CSelectFileDlg::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange exchange(m_hWnd, bSaveAndValidate);
    try {
        DoDataExchange(&exchange);
        return TRUE;
    } catch (const CUserException&) {
        return FALSE; // the reason has been shown
    } catch (const std::exception&) {
        ::AfxMessageBox("Ein nicht unterstützter Vorgang wurde versucht.", MB_ICONEXCLAMATION);
        return FALSE;
    }
}

BOOL CSelectFileDlg::OnInitDialog() {
    try {
        CDialog::OnInitDialog();
        // Flags the control refuses leave it without a browse mode: the browse below then
        // opens nothing and the host ends with IDCANCEL.
        UpdateData(FALSE);

        if (OPENFILENAME* ofn = m_FileEditCtrl.GetOpenFileName()) {
            ofn->Flags |= m_dwOpenFileFlags;
            ofn->lpstrDefExt = m_strDefaultExtension.c_str();
            ofn->lpstrFile = m_szSelection.data();
            ofn->nMaxFile = static_cast<DWORD>(m_szSelection.size());
        }
        ::SendMessage(m_FileEditCtrl.GetSafeHwnd(), EM_SETREADONLY, FALSE, 0);
        // Takes OFN_ALLOWMULTISELECT and OFN_NODEREFERENCELINKS over from the extra flags as
        // MultipleFiles and KeepShortcuts, so that the chosen text is parsed as chosen.
        m_FileEditCtrl.ModifyFlags(0, m_dwControlFlags);
        m_FileEditCtrl.Browse();
        EndDialog(m_FileEditCtrl.GetLastFileDialogResult());
    } catch (const std::exception&) {
        EndDialog(-1); // no event handler lets an exception out
    }
    return TRUE;
}

LRESULT CSelectFileDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY && lParam != 0) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == static_cast<UINT_PTR>(IDC_FILE_EDIT)) {
            if (header->code == NotifyPreBrowse) {
                OnPreBrowse();
                return 0;
            }
            if (header->code == NotifyPostBrowse) {
                OnPostBrowse();
                return 0;
            }
        }
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

void CSelectFileDlg::OnPreBrowse() {
    if (OPENFILENAME* ofn = m_FileEditCtrl.GetOpenFileName()) {
        // Only an existence test: a file of that name is passed on as well. Without one the
        // dialog starts from the (empty) edit text, at the desktop's default place. A relative
        // name would be taken from the server's directory, which means nothing to the client.
        const bool exists =
            vortan::fs::IsAbsolutePath(m_strInitialDirectory) &&
            ::GetFileAttributesA(m_strInitialDirectory.c_str()) != INVALID_FILE_ATTRIBUTES;
        ofn->lpstrInitialDir = exists ? m_strInitialDirectory.c_str() : nullptr;
    }
    if (BROWSEINFO* bi = m_FileEditCtrl.GetBrowseInfo())
        bi->lParam = reinterpret_cast<LPARAM>(&m_FileEditCtrl); // its own callback stays
}

void CSelectFileDlg::OnPostBrowse() {
    m_rFileList.RemoveAll();
    if (m_FileEditCtrl.GetLastFileDialogResult() != IDOK)
        return;
    for (POSITION pos = m_FileEditCtrl.GetStartPosition(); pos != nullptr;)
        m_rFileList.AddFile(m_FileEditCtrl.GetNextPathName(pos), 0);
}
