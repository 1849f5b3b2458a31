#include <string>
#include <system_error>
#include <windows.h>

#include "app/PluginRegistration.h"
#include "vortan/com/HResult.h"

// On Windows a component plug-in is an in-process COM server that writes its own classes:
// registering it is calling its DllRegisterServer, as regsvr32 does.

namespace vortan::app {

namespace {

using RegistrationEntry = HRESULT(STDAPICALLTYPE*)();

// Loads `plugin` and calls its `entry`; reports as RegisterPlugin describes.
int CallRegistrationEntry(const std::filesystem::path& plugin, const char* entry, const char* verb,
                          std::ostream& out, std::ostream& err) {
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(plugin, ec).lexically_normal();
    if (plugin.empty() || ec) {
        err << "vortan: cannot " << verb << " '" << plugin.string() << "': not a path\n";
        return 1;
    }
    if (!std::filesystem::is_regular_file(absolute, ec)) {
        err << "vortan: cannot " << verb << " " << absolute.string() << ": no such file\n";
        return 1;
    }
    // Its own folder first for the DLLs it needs, as COM loads it.
    const HMODULE module =
        ::LoadLibraryExW(absolute.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (module == nullptr) {
        err << "vortan: cannot " << verb << " " << absolute.string()
            << ": the library cannot be loaded ("
            << FormatHResult(HRESULT_FROM_WIN32(::GetLastError())) << ")\n";
        return 1;
    }
    const auto call = reinterpret_cast<RegistrationEntry>(
        reinterpret_cast<void*>(::GetProcAddress(module, entry)));
    const HRESULT hr = call != nullptr ? call() : HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    ::FreeLibrary(module);
    if (call == nullptr) {
        err << "vortan: cannot " << verb << " " << absolute.string() << ": it exports no " << entry
            << ", so it is no VORTAN component plug-in\n";
        return 1;
    }
    if (FAILED(hr)) {
        err << "vortan: " << absolute.string() << " refused: its " << entry << " returned "
            << FormatHResult(hr) << '\n';
        return 1;
    }
    out << "vortan: " << absolute.string() << ": " << entry << " succeeded\n";
    return 0;
}

} // namespace

int RegisterPlugin(const std::filesystem::path& plugin, std::ostream& out, std::ostream& err) {
    return CallRegistrationEntry(plugin, "DllRegisterServer", "register", out, err);
}

int UnregisterPlugin(const std::filesystem::path& plugin, std::ostream& out, std::ostream& err) {
    return CallRegistrationEntry(plugin, "DllUnregisterServer", "unregister", out, err);
}

} // namespace vortan::app
