#include "platform/ui/UiServicesScope.h"

#include "platform/ui/IDialogService.h"
#include "platform/ui/IMessageBoxService.h"

namespace vortan::ui {

UiServicesScope::UiServicesScope(IMessageBoxService* messageBoxes, IDialogService* dialogs)
    : m_previousMessageBoxes(SetMessageBoxService(messageBoxes)),
      m_previousDialogs(SetDialogService(dialogs)) {}

UiServicesScope::~UiServicesScope() {
    SetDialogService(m_previousDialogs);
    SetMessageBoxService(m_previousMessageBoxes);
}

} // namespace vortan::ui
