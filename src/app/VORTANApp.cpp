#include "app/VORTANApp.h"

#include <utility>

#include "app/AppLock.h"
#include "app/IAutomationHost.h"
#include "engine/VORTANDlg.h"
#include "platform/ui/MessageBox.h"
#include "platform/win/WinUser.h"
#include "resources/Resources.h"

CVORTANApp::CVORTANApp(IAutomationHost& host, vortan::app::CommandLineInfo commandLine,
                       std::filesystem::path program)
    : m_host(host), m_commandLine(std::move(commandLine)), m_program(std::move(program)) {}

BOOL CVORTANApp::InitInstance() {
    const bool bStartedByBus = m_commandLine.StartedByBus();
    const bool bBusReached = m_host.Initialize();
    if (bStartedByBus && !bBusReached) {
        AfxMessageBox(
            vortan::resources::LoadStringResource(vortan::resources::IDS_OLE_INIT_FAILED).c_str(),
            MB_OK);
        m_nExitCode = 1;
        return FALSE;
    }

    if (bStartedByBus) {
        m_host.RegisterClassObjects(*this);
    } else {
        m_host.WriteRegistration(m_program);
    }

    CVORTANDlg dlg;
    m_pMainWnd = &dlg;
    // The framework's shut-down when the last object goes: the window is asked to close and
    // decides itself whether it does.
    vortan::app::SetLastUnlockAction([this, bStartedByBus] {
        if (m_pMainWnd != nullptr && bStartedByBus)
            ::PostMessage(m_pMainWnd->GetSafeHwnd(), WM_CLOSE, 0, 0);
    });
    dlg.DoModal();
    vortan::app::SetLastUnlockAction({});
    m_pMainWnd = nullptr;
    return FALSE;
}
