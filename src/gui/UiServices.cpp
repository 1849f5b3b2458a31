#include "gui/UiServices.h"

#include <QApplication>
#include <QIcon>

#include "gui/DialogView.h"
#include "gui/QtDialogService.h"
#include "gui/QtFileDialogService.h"
#include "gui/QtFolderBrowserService.h"
#include "gui/QtMessageBoxService.h"
#include "platform/ui/SelectionServicesScope.h"
#include "platform/ui/UiServicesScope.h"
#include "resources/Resources.h"

namespace vortan::gui {

UiServices::UiServices() = default;

UiServices::~UiServices() {
    // Uninstall before the services go.
    m_selectionScope.reset();
    m_scope.reset();
}

void UiServices::PrepareEnvironment() {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

std::unique_ptr<UiServices> UiServices::Install() {
    std::unique_ptr<UiServices> services(new UiServices());
    QApplication::setWindowIcon(QIcon(DialogView::IconPixmap(resources::IDI_VORTAN, 48)));
    services->m_dialogs = std::make_unique<QtDialogService>();
    services->m_messageBoxes = std::make_unique<QtMessageBoxService>(services->m_dialogs.get());
    services->m_scope = std::make_unique<ui::UiServicesScope>(services->m_messageBoxes.get(),
                                                              services->m_dialogs.get());
    services->m_fileDialogs = std::make_unique<QtFileDialogService>(services->m_dialogs.get());
    services->m_folders = std::make_unique<QtFolderBrowserService>(services->m_dialogs.get());
    services->m_selectionScope = std::make_unique<ui::SelectionServicesScope>(
        services->m_fileDialogs.get(), services->m_folders.get());
    return services;
}

} // namespace vortan::gui
