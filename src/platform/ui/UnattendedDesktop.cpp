#include "platform/ui/UnattendedDesktop.h"

#include "platform/ui/ScriptedUi.h"
#include "platform/ui/UiServicesScope.h"

namespace vortan::ui {

UnattendedDesktop::UnattendedDesktop()
    : m_scripted(ScriptedUi::FromEnvironment()),
      m_scope(std::make_unique<UiServicesScope>(m_scripted.get(), m_scripted.get())) {}

UnattendedDesktop::~UnattendedDesktop() {
    m_scope.reset(); // uninstall before the services go
}

} // namespace vortan::ui
