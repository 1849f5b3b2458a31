#include "support/FakeSelectionServices.h"

#include "platform/win/WindowModel.h"

namespace vortan::test {

ui::FileDialogAnswer FakeSelectionServices::Run(const ui::FileDialogRequest& request) {
    fileRequests.push_back(request);
    if (fileAnswers.empty())
        return {};
    ui::FileDialogAnswer answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
}

ui::FolderBrowserAnswer FakeSelectionServices::Run(const ui::FolderBrowserRequest& request) {
    folderPreselections.push_back(
        win::GetWindowTextString(GetDlgItem(request.browser, ui::kFolderBrowserSelectionId)));
    folderTitles.push_back(request.title);
    if (folderAnswers.empty())
        return {};
    ui::FolderBrowserAnswer answer = folderAnswers.front();
    folderAnswers.pop_front();
    return answer;
}

} // namespace vortan::test
