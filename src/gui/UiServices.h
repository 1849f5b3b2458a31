#pragma once

#include <memory>

namespace vortan::ui {
class SelectionServicesScope;
class UiServicesScope;
} // namespace vortan::ui

namespace vortan::gui {

class QtDialogService;
class QtFileDialogService;
class QtFolderBrowserService;
class QtMessageBoxService;

// The program's desktop when a person sees it: Qt views and message boxes. Installed once at
// start, after the QApplication and the Qt loop backend; ends before them. The program gets it
// through the widget module (GuiEntry); unattended runs use ui::UnattendedDesktop instead.
class UiServices final {
public:
    [[nodiscard]] static std::unique_ptr<UiServices> Install();
    // Before the QApplication: without a display Qt runs offscreen, so the program still runs.
    static void PrepareEnvironment();

    ~UiServices();
    UiServices(const UiServices&) = delete;
    UiServices& operator=(const UiServices&) = delete;

private:
    UiServices();

    std::unique_ptr<QtDialogService> m_dialogs;
    std::unique_ptr<QtMessageBoxService> m_messageBoxes;
    std::unique_ptr<QtFileDialogService> m_fileDialogs;
    std::unique_ptr<QtFolderBrowserService> m_folders;
    std::unique_ptr<ui::UiServicesScope> m_scope;
    std::unique_ptr<ui::SelectionServicesScope> m_selectionScope;
};

} // namespace vortan::gui
