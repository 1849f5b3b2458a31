#include "gui/UiServices.h"

#include "gui/DialogView.h"
#include "gui/QtDialogService.h"
#include "gui/QtMessageBoxService.h"
#include "platform/ui/ScriptedUi.h"
#include "platform/ui/SelectionServicesScope.h"
#include "platform/ui/UiServicesScope.h"
#include "resources/Resources.h"

#include <QApplication>
#include <QIcon>

namespace vortan::gui {

UiServices::UiServices() = default;

UiServices::~UiServices() {
    m_selectionScope.reset(); // uninstall before the services go
    m_scope.reset();
}

void UiServices::PrepareEnvironment() {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

std::unique_ptr<UiServices> UiServices::Install() {
    std::unique_ptr<UiServices> services(new UiServices());
    if (ui::ScriptedUi::Wanted()) {
        services->m_scripted = ui::ScriptedUi::FromEnvironment();
        services->m_scope = std::make_unique<ui::UiServicesScope>(services->m_scripted.get(),
                                                                  services->m_scripted.get());
        services->m_selectionScope = std::make_unique<ui::SelectionServicesScope>(
            services->m_scripted.get(), services->m_scripted.get());
        return services;
    }
    QApplication::setWindowIcon(QIcon(DialogView::IconPixmap(resources::IDI_VORTAN, 48)));
    services->m_dialogs = std::make_unique<QtDialogService>();
    services->m_messageBoxes = std::make_unique<QtMessageBoxService>(services->m_dialogs.get());
    services->m_scope = std::make_unique<ui::UiServicesScope>(services->m_messageBoxes.get(),
                                                              services->m_dialogs.get());
    return services;
}

} // namespace vortan::gui
