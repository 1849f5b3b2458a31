#include "platform/ui/SelectionServicesScope.h"

#include "platform/ui/CommDlg.h"
#include "platform/ui/ShlObj.h"

namespace vortan::ui {

SelectionServicesScope::SelectionServicesScope(IFileDialogService* fileDialogs,
                                               IFolderBrowserService* folders)
    : m_previousFileDialogs(SetFileDialogService(fileDialogs)),
      m_previousFolders(SetFolderBrowserService(folders)) {}

SelectionServicesScope::~SelectionServicesScope() {
    SetFolderBrowserService(m_previousFolders);
    SetFileDialogService(m_previousFileDialogs);
}

} // namespace vortan::ui
