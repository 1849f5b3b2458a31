#include "selection/SelectDirectory.h"

#include <exception>
#include <vector>

#include "platform/fs/FileApi.h"
#include "platform/fs/Path.h"
#include "platform/profile/ProfileText.h"
#include "platform/ui/ShlObj.h"
#include "platform/win/WinUser.h"
#include "resources/Resources.h"
#include "resources/TextKeys.h"

namespace {

// The browser's preselection, for its callback: one browser at a time is open.
std::string g_strInitialSelection;

bool IsExistingFolder(const std::string& path) {
    if (!vortan::fs::IsAbsolutePath(path))
        return false; // the server's working directory means nothing to its client
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

} // namespace

CSelectDirectory::CSelectDirectory(HWND hWndParent, const char* profileFile,
                                   const char* profileSection, const char* text)
    : CDialog(*vortan::resources::FindDialogTemplate(vortan::resources::IDD_SELECT_DIRECTORY),
              hWndParent),
      m_strProfileFile(profileFile != nullptr ? profileFile : ""),
      m_strText(text != nullptr ? text : ""),
      m_strProfileSection(profileSection != nullptr ? profileSection : "") {}

CSelectDirectory::~CSelectDirectory() = default;

BOOL CSelectDirectory::OnInitDialog() {
    try {
        CDialog::OnInitDialog();
        std::string title;
        vortan::profile::LookupProfileText(m_strProfileFile.c_str(), m_strProfileSection.c_str(),
                                           vortan::resources::kTextFolderTitle, title);
        const BOOL chosen =
            SelectFolder(title, IsExistingFolder(m_strText) ? m_strText : std::string());
        EndDialog(chosen ? IDOK : IDCANCEL);
    } catch (const std::exception&) {
        m_strDirectory.clear();
        EndDialog(-1); // no event handler lets an exception out
    }
    return TRUE;
}

BOOL CSelectDirectory::SelectFolder(const std::string& title, const std::string& initialSelection) {
    g_strInitialSelection = initialSelection;
    BROWSEINFO bi;
    bi.hwndOwner = m_hWnd;
    bi.lpszTitle = title.c_str();
    bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT;
    bi.lpfn = &CSelectDirectory::BrowseCallback;
    bi.lParam = 1; // a preselection is given (possibly the empty one)

    m_strDirectory.clear();
    BOOL chosen = FALSE;
    if (LPITEMIDLIST item = ::SHBrowseForFolder(&bi)) {
        std::vector<char> path(vortan::fs::kMaxPath, '\0');
        if (::SHGetPathFromIDList(item, path.data())) {
            m_strDirectory = path.data();
            chosen = TRUE;
        }
        ::CoTaskMemFree(item);
    }
    g_strInitialSelection.clear();
    return chosen;
}

int CSelectDirectory::BrowseCallback(HWND hwnd, UINT message, LPARAM lParam, LPARAM lpData) {
    if (message == BFFM_INITIALIZED && lpData != 0) {
        ::SendMessage(hwnd, BFFM_SETSELECTIONA, TRUE,
                      reinterpret_cast<LPARAM>(g_strInitialSelection.c_str()));
    } else if (message == BFFM_SELCHANGED) {
        // An item without a file-system path leaves the status as it was.
        std::vector<char> path(vortan::fs::kMaxPath, '\0');
        if (::SHGetPathFromIDList(reinterpret_cast<PCIDLIST_ABSOLUTE>(lParam), path.data()))
            ::SendMessage(hwnd, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(path.data()));
    }
    return 0;
}
