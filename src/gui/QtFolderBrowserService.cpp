#include "gui/QtFolderBrowserService.h"

#include "gui/DialogView.h"
#include "gui/FolderBrowserView.h"
#include "gui/ModalRun.h"
#include "gui/QtDialogService.h"

namespace vortan::gui {

ui::FolderBrowserAnswer QtFolderBrowserService::Run(const ui::FolderBrowserRequest& request) {
    ui::FolderBrowserAnswer answer;
    try {
        // The owner is often a host dialog that is never shown: then no parent.
        QWidget* owner = m_views != nullptr ? m_views->ViewOf(request.owner) : nullptr;
        if (owner != nullptr && !owner->isVisible())
            owner = nullptr;
        FolderBrowserView browser(request, owner);
        if (RunModalDialog(browser, request.owner) != QDialog::Accepted)
            return answer;
        answer.path = browser.SelectedPath();
        answer.confirmed = answer.path.has_value();
    } catch (...) {
        answer = {};
    }
    return answer;
}

} // namespace vortan::gui
