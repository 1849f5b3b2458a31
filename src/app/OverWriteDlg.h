#pragma once

#include <string>

#include "platform/WinDef.h"
#include "platform/win/CDialog.h"

// The question a read asks before it stores over an existing local file. Answers: IDOK
// (overwrite), IDNO (choose another file), IDCANCEL (cancel the read) and IDC_OVERWRITE_ALL
// (resources/ResourceIds.h).
// Its texts come from the fixed section "Section1" of the client's profile file.
class COverWriteDlg final : public CDialog {
public:
    // Null texts leave their controls empty (a null profile file keeps the template texts).
    COverWriteDlg(HWND hWndParent, const char* profileFile, const char* fileName,
                  const char* directory);

protected:
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    std::string m_strProfileFile;
    std::string m_strDirectory;
    std::string m_strFileName;
};
