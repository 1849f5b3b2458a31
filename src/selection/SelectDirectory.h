#pragma once

#include <string>

#include "platform/WinDef.h"
#include "platform/win/CDialog.h"

// The directory selection behind ShowDirectorySelectDialog: an invisible host that opens the
// shell's folder browser while it is being initialised and ends at once, with IDOK and the
// chosen folder's path, or IDCANCEL and no path (-1 when the host could not run at all).
class CSelectDirectory : public CDialog {
public:
    // `text` names the folder the browser starts at when it is an existing folder (an absolute
    // path); anything else leaves the browser without a preselection.
    CSelectDirectory(HWND hWndParent, const char* profileFile, const char* profileSection,
                     const char* text);
    ~CSelectDirectory() override;

    // The chosen folder as the browser gave it; empty after a cancel.
    const std::string& GetDirectory() const { return m_strDirectory; }

protected:
    BOOL OnInitDialog() override;

private:
    // Runs the browser owned by this host, titled `title`, preselecting `initialSelection`;
    // TRUE with m_strDirectory set when a folder with a file-system path was confirmed.
    BOOL SelectFolder(const std::string& title, const std::string& initialSelection);
    static int BrowseCallback(HWND hwnd, UINT message, LPARAM lParam, LPARAM lpData);

    std::string m_strProfileFile;
    std::string m_strText;
    std::string m_strProfileSection;
    std::string m_strDirectory;
};
