#include "app/OverWriteDlg.h"

#include "platform/profile/ProfileText.h"
#include "platform/win/WinUser.h"
#include "resources/Resources.h"

#include <array>
#include <string>

namespace {

constexpr int IDC_ICON = 1018;
constexpr int IDC_GROUP = 1016;
constexpr int IDC_FILE_LINE = 1010;
constexpr int IDC_FILE_NAME = 1011;
constexpr int IDC_DIRECTORY_LINE = 1012;
constexpr int IDC_DIRECTORY = 1013;
constexpr int kCaption = 0; // the dialog's own text

// Texts the client may replace, in the order they are put in.
struct ReplaceableText {
    int number;
    int control;
};
constexpr std::array<ReplaceableText, 8> kTexts{{
    {-5009, IDC_GROUP},
    {-5043, kCaption},
    {-5042, COverWriteDlg::IDC_OVERWRITE_ALL},
    {-5041, IDCANCEL},
    {-5039, IDOK},
    {-5040, IDNO},
    {-5038, IDC_DIRECTORY_LINE},
    {-5037, IDC_FILE_LINE},
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
