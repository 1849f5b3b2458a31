#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/ui/CommDlg.h"
#include "platform/ui/SelectionServicesScope.h"
#include "platform/ui/ShlObj.h"

namespace vortan::test {

// The file dialog and folder browser of the desktop while it lives: records what would have
// been shown and answers from queues (an empty queue cancels).
class FakeSelectionServices final : public ui::IFileDialogService,
                                    public ui::IFolderBrowserService {
public:
    FakeSelectionServices() : m_scope(this, this) {}

    ui::FileDialogAnswer Run(const ui::FileDialogRequest& request) override;
    ui::FolderBrowserAnswer Run(const ui::FolderBrowserRequest& request) override;

    std::deque<ui::FileDialogAnswer> fileAnswers;
    std::deque<ui::FolderBrowserAnswer> folderAnswers;
    std::vector<ui::FileDialogRequest> fileRequests;
    // What the browser showed when it opened: its selection and its title.
    std::vector<std::string> folderPreselections;
    std::vector<std::string> folderTitles;

private:
    ui::SelectionServicesScope m_scope;
};

} // namespace vortan::test
