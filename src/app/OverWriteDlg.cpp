#include "app/OverWriteDlg.h"

#include <array>
#include <string>

#include "platform/profile/ProfileText.h"
#include "platform/win/WinUser.h"
#include "resources/Resources.h"
#include "resources/TextKeys.h"

namespace {

using namespace vortan::resources; // the dialog's control ids and text keys

constexpr int kCaption = 0; // the dialog's own text

// Texts the client may replace, in the order they are put in.
struct ReplaceableText {
    int number;
    int control;
};
constexpr std::array<ReplaceableText, 8> kTexts{{
    {kTextCaption, IDC_GROUP},
    {kTextOverwriteCaption, kCaption},
    {kTextOverwriteAll, IDC_OVERWRITE_ALL},
    {kTextCancel, IDCANCEL},
    {kTextYes, IDOK},
    {kTextNo, IDNO},
    {kTextDirectoryLine, IDC_DIRECTORY_LINE},
    {kTextFileLine, IDC_FILE_LINE},
}};

constexpr const char* kSection = "Section1";

std::string CopyOrEmpty(const char* text) {
    return text != nullptr ? std::string(text) : std::string();
}

} // namespace

COverWriteDlg::COverWriteDlg(HWND hWndParent, const char* profileFile, const char* fileName,
                             const char* directory)
    : CDialog(*vortan::resources::FindDialogTemplate(vortan::resources::IDD_OVERWRITE), hWndParent),
      m_strProfileFile(CopyOrEmpty(profileFile)), m_strDirectory(CopyOrEmpty(directory)),
      m_strFileName(CopyOrEmpty(fileName)) {}

BOOL COverWriteDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    const HICON warning = ::LoadIcon(nullptr, IDI_WARNING);
    ::SendMessage(::GetDlgItem(m_hWnd, IDC_ICON), STM_SETICON, reinterpret_cast<WPARAM>(warning),
                  0);
    ::SetDlgItemText(m_hWnd, IDC_FILE_NAME, m_strFileName.c_str());
    ::SetDlgItemText(m_hWnd, IDC_DIRECTORY, m_strDirectory.c_str());

    for (const ReplaceableText& text : kTexts) {
        std::string strText;
        if (!vortan::profile::LookupProfileText(m_strProfileFile.c_str(), kSection, text.number,
                                                strText))
            continue;
        if (text.control == kCaption)
            ::SetWindowText(m_hWnd, strText.c_str());
        else
            ::SetDlgItemText(m_hWnd, text.control, strText.c_str());
    }
    return TRUE;
}

BOOL COverWriteDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    if (HIWORD(wParam) == BN_CLICKED && (id == IDNO || id == IDC_OVERWRITE_ALL)) {
        EndDialog(id);
        return TRUE;
    }
    return CDialog::OnCommand(wParam, lParam);
}
