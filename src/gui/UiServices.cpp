#include "gui/UiServices.h"

#include "gui/DialogView.h"
#include "gui/QtDialogService.h"
#include "gui/QtMessageBoxService.h"
#include "platform/ui/UiServicesScope.h"
#include "resources/Resources.h"

#include <QApplication>
#include <QIcon>

namespace vortan::gui {

UiServices::UiServices() = default;

UiServices::~UiServices() {
    m_scope.reset(); // uninstall before the services go
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
    return services;
}

} // namespace vortan::gui
