#include "app/dbus/ServerRegistration.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <system_error>

#include "automation/dbus/BusContract.h"
#include "platform/com/ClassRegistry.h"
#include "vortan/ContractIds.h"

namespace vortan::app {

namespace {

std::filesystem::path DataHome() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg != nullptr && *xdg == '/')
        return xdg;
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home != nullptr ? home : "") / ".local" / "share";
}

// The bus splits Exec like a shell: quote anything but plain path characters.
std::string QuoteForExec(const std::string& text) {
    const bool plain = text.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                              "0123456789/._-+,:@%") == std::string::npos;
    if (plain && !text.empty())
        return text;
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    quoted += '\'';
    return quoted;
}

std::string UniqueSuffix() {
    std::random_device source;
    std::uniform_int_distribution<std::uint64_t> any;
    std::ostringstream text;
    text << std::hex << any(source) << any(source);
    return text.str();
}

} // namespace

std::filesystem::path ServiceFilePath() {
    return DataHome() / "dbus-1" / "services" /
           (automation::BusNameFromProgId(kVortanApplicationProgId) + ".service");
}

std::string ServiceFileText(const std::filesystem::path& program) {
    return "[D-BUS Service]\nName=" + automation::BusNameFromProgId(kVortanApplicationProgId) +
           "\nExec=" + QuoteForExec(program.string()) + " --automation\n";
}

HRESULT WriteRegistration(const std::filesystem::path& program) {
    HRESULT hr = S_OK;
    const std::filesystem::path file = ServiceFilePath();
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    // A name of this writer's own: registrations that run at the same time must not write
    // into one temporary file; each renames a whole file of its own into place.
    std::filesystem::path temporary = file;
    temporary += ".new." + UniqueSuffix();
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << ServiceFileText(program);
        if (!out.flush())
            hr = E_FAIL;
    }
    if (SUCCEEDED(hr)) {
        std::filesystem::rename(temporary, file, ec);
        if (ec)
            hr = E_FAIL;
    }
    if (FAILED(hr))
        std::filesystem::remove(temporary, ec);

    com::ClassRegistry registry(com::ClassRegistry::DefaultPath());
    const HRESULT hrProgId =
        registry.RegisterProgId(kVortanApplicationProgId, CLSID_VortanApplication);
    return FAILED(hr) ? hr : hrProgId;
}

HRESULT RemoveRegistration() {
    std::error_code ec;
    std::filesystem::remove(ServiceFilePath(), ec);
    const HRESULT hr = ec ? E_FAIL : S_OK;
    com::ClassRegistry registry(com::ClassRegistry::DefaultPath());
    const HRESULT hrProgId = registry.UnregisterProgId(kVortanApplicationProgId);
    if (FAILED(hr))
        return hr;
    return FAILED(hrProgId) ? hrProgId : S_OK;
}

} // namespace vortan::app
