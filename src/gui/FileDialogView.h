#pragma once

#include <QFileDialog>

#include "platform/ui/CommDlg.h"

namespace vortan::gui {

// The file dialog as a person sees it: Qt's own dialog widgets (not the desktop's native
// dialog, whose button texts cannot be set), set up from the request's OFN_ flags, filter,
// title, start and button texts. What Qt does not check itself is checked when the user
// confirms, before the dialog closes, with the platform's German questions: a path that must
// exist (OFN_PATHMUSTEXIST), a file that must exist in a save dialog (OFN_FILEMUSTEXIST), and
// the question before a file is created (OFN_CREATEPROMPT; "no" keeps the dialog open, as on
// the platform). Qt asks itself before an existing file is replaced (OFN_OVERWRITEPROMPT).
class FileDialogView final : public QFileDialog {
public:
    explicit FileDialogView(const ui::FileDialogRequest& request, QWidget* parent = nullptr);

    // Qt's name filters for the request's description and pattern pairs. "*.*" matches every
    // name, also one without a dot, as on the platform.
    static QStringList NameFilters(const std::vector<ui::FileDialogFilter>& filters);

public:
    void accept() override;

private:
    bool Confirmed(const QString& path);

    DWORD m_flags = 0;
    bool m_save = false;
};

} // namespace vortan::gui
