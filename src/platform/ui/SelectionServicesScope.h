#pragma once

namespace vortan::ui {

class IFileDialogService;
class IFolderBrowserService;

// Makes a file dialog service and a folder browser service part of the process's desktop for
// the scope and puts the previous pair back at its end (beside UiServicesScope).
class SelectionServicesScope final {
public:
    SelectionServicesScope(IFileDialogService* fileDialogs, IFolderBrowserService* folders);
    ~SelectionServicesScope();
    SelectionServicesScope(const SelectionServicesScope&) = delete;
    SelectionServicesScope& operator=(const SelectionServicesScope&) = delete;

private:
    IFileDialogService* m_previousFileDialogs = nullptr;
    IFolderBrowserService* m_previousFolders = nullptr;
};

} // namespace vortan::ui
