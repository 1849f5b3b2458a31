#pragma once

#include <memory>

namespace vortan::ui {
class ScriptedUi;
class SelectionServicesScope;
class UiServicesScope;
} // namespace vortan::ui

namespace vortan::gui {

class QtDialogService;
class QtMessageBoxService;

// The program's desktop: Qt views and message boxes, or the scripted one for unattended runs.
// Installed once at start, after the QApplication and the Qt loop backend; ends before them.
class UiServices final {
public:
    // Scripted when $VORTAN_ANSWERS names an answer file or there is no display; else Qt.
    [[nodiscard]] static std::unique_ptr<UiServices> Install();
    // Before the QApplication: without a display Qt runs offscreen, so the program still runs.
    static void PrepareEnvironment();

    ~UiServices();
    UiServices(const UiServices&) = delete;
    UiServices& operator=(const UiServices&) = delete;

    bool Scripted() const { return m_scripted != nullptr; }

private:
    UiServices();

    std::unique_ptr<ui::ScriptedUi> m_scripted;
    std::unique_ptr<QtDialogService> m_dialogs;
    std::unique_ptr<QtMessageBoxService> m_messageBoxes;
    std::unique_ptr<ui::UiServicesScope> m_scope;
    std::unique_ptr<ui::SelectionServicesScope> m_selectionScope;
};

} // namespace vortan::gui
