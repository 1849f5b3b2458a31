#pragma once

#include <memory>

namespace vortan::ui {

class ScriptedUi;
class SelectionServicesScope;
class UiServicesScope;

// The desktop of a program that runs without a person: the scripted services from the
// environment ($VORTAN_ANSWERS, $VORTAN_TRANSCRIPT), installed for every visible service until
// the object ends. Needs no toolkit.
class UnattendedDesktop final {
public:
    UnattendedDesktop();
    ~UnattendedDesktop();
    UnattendedDesktop(const UnattendedDesktop&) = delete;
    UnattendedDesktop& operator=(const UnattendedDesktop&) = delete;

private:
    std::unique_ptr<ScriptedUi> m_scripted;
    std::unique_ptr<UiServicesScope> m_scope;
    std::unique_ptr<SelectionServicesScope> m_selectionScope;
};

} // namespace vortan::ui
