#pragma once

#include <filesystem>

#include "app/CommandLineInfo.h"
#include "platform/WinDef.h"

class CVORTANDlg;
class IAutomationHost;

// The application: starts OLE, makes the automation class available (or writes its
// registration when started by hand) and runs the one window modally; when that run ends the
// process ends.
class CVORTANApp final {
public:
    CVORTANApp(IAutomationHost& host, vortan::app::CommandLineInfo commandLine,
               std::filesystem::path program);
    CVORTANApp(const CVORTANApp&) = delete;
    CVORTANApp& operator=(const CVORTANApp&) = delete;

    // Always FALSE: the dialog's modal loop has served the whole life of the process.
    BOOL InitInstance();
    // Non-zero when OLE could not be initialised.
    int ExitCode() const { return m_nExitCode; }

    // The main window while its modal run lasts, else null.
    CVORTANDlg* m_pMainWnd = nullptr;

private:
    IAutomationHost& m_host;
    vortan::app::CommandLineInfo m_commandLine;
    std::filesystem::path m_program;
    int m_nExitCode = 0;
};
