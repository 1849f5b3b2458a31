#include "platform/ui/UnattendedDesktop.h"

#include "platform/ui/ScriptedUi.h"
#include "platform/ui/SelectionServicesScope.h"
#include "platform/ui/UiServicesScope.h"

namespace vortan::ui {

UnattendedDesktop::UnattendedDesktop()
    : m_scripted(ScriptedUi::FromEnvironment()),
      m_scope(std::make_unique<UiServicesScope>(m_scripted.get(), m_scripted.get())),
      m_selectionScope(
          std::make_unique<SelectionServicesScope>(m_scripted.get(), m_scripted.get())) {}

UnattendedDesktop::~UnattendedDesktop() {
    // Uninstall before the services go.
    m_selectionScope.reset();
    m_scope.reset();
}

} // namespace vortan::ui
