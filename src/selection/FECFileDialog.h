#pragma once

#include "platform/afx/FileDialog.h"

// The file dialog of the file edit control: the platform's dialog with the confirm and cancel
// buttons renamed from the profile file (built in: "&Schreiben" and "&Abbrechen").
class CFECFileDialog : public CFileDialog {
public:
    CFECFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt, LPCSTR lpszFileName, DWORD dwFlags,
                   LPCSTR lpszFilter, HWND hWndParent);
    ~CFECFileDialog() override;

protected:
    BOOL OnInitDialog() override;
    void OnInitDone() override;

private:
    static void ButtonTexts(std::string& ok, std::string& cancel);
};
