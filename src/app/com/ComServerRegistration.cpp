#include "app/com/ComServerRegistration.h"

#include <string_view>

#include "platform/text/Ascii.h"
#include "vortan/ContractIds.h"

namespace vortan::app {

namespace {

constexpr const char* kDescription = "VORTAN Application";
constexpr const char* kInterfaceName = "IVortanApplication";

} // namespace

std::string LocalServerCommand(const std::filesystem::path& program) {
    const std::u8string path = program.u8string();
    std::string command;
    command.reserve(path.size() + 14);
    command.append(1, '"').append(path.begin(), path.end()).append("\" /Automation");
    return command;
}

HRESULT WriteComRegistration(const std::filesystem::path& program, com::RegistryScope& scope) {
    try {
        const com::ClassRegistration registration{
            CLSID_VortanApplication,     kDescription, com::ServerKind::LocalServer,
            LocalServerCommand(program), {},           kVortanApplicationProgId};
        const HRESULT hr = com::WriteClassRegistration(registration, scope);
        return FAILED(hr) ? hr
                          : com::WriteDispatchInterfaceRegistration(DIID_IVortanApplication,
                                                                    kInterfaceName, scope);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT RemoveComRegistration() {
    try {
        const HRESULT hr =
            com::RemoveClassRegistration(CLSID_VortanApplication, kVortanApplicationProgId);
        const HRESULT hrInterface =
            com::RemoveDispatchInterfaceRegistration(DIID_IVortanApplication);
        return FAILED(hr) ? hr : hrInterface;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

RegistrationSwitch FindRegistrationSwitch(std::span<const char* const> args) {
    for (const char* arg : args) {
        std::string_view word = arg != nullptr ? arg : "";
        if (!word.starts_with('/') && !word.starts_with('-'))
            continue;
        word.remove_prefix(1);
        if (text::EqualsNoCase(word, "regserver"))
            return RegistrationSwitch::Register;
        if (text::EqualsNoCase(word, "unregserver"))
            return RegistrationSwitch::Unregister;
    }
    return RegistrationSwitch::None;
}

} // namespace vortan::app
