#include "gui/QtFileDialogService.h"

#include "gui/DialogView.h"
#include "gui/FileDialogView.h"
#include "gui/ModalRun.h"
#include "gui/QtDialogService.h"

namespace vortan::gui {

ui::FileDialogAnswer QtFileDialogService::Run(const ui::FileDialogRequest& request) {
    ui::FileDialogAnswer answer;
    try {
        // The owner is often a control of a host dialog that is never shown: then no parent.
        QWidget* owner = m_views != nullptr ? m_views->ViewOf(request.owner) : nullptr;
        if (owner != nullptr && !owner->isVisible())
            owner = nullptr;
        FileDialogView dialog(request, owner);
        if (RunModalDialog(dialog, request.owner) != QDialog::Accepted)
            return answer;
        const QStringList files = dialog.selectedFiles();
        for (const QString& file : files) {
            answer.paths.push_back(file.toStdString());
            if ((request.flags & OFN_ALLOWMULTISELECT) == 0)
                break;
        }
        answer.confirmed = !answer.paths.empty();
    } catch (...) {
        answer = {};
        answer.extendedError = CDERR_DIALOGFAILURE;
    }
    return answer;
}

} // namespace vortan::gui
