#include "PluginRegistration.h"
#include "components/simboard/ServerRegistration.h"

namespace vortan::simboard {

const char* StorageHelp() noexcept {
    return "Boards live in %VORTAN_BOARDS%, else %LOCALAPPDATA%\\vortan\\boards. The classes\n"
           "are registered as the DLL's DllRegisterServer does it: under\n"
           "HKLM\\Software\\Classes where allowed, else HKCU\\Software\\Classes.\n";
}

// Beside this program, as it is built and installed.
std::filesystem::path DefaultPlugin() {
    std::string path(MAX_PATH, '\0');
    DWORD length = 0;
    while ((length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()))) ==
           path.size())
        path.resize(path.size() * 2);
    path.resize(length);
    return std::filesystem::path(path).parent_path() / "vortan-simboard.dll";
}

HRESULT RegisterPlugin(const std::filesystem::path& plugin, std::string& where) {
    return RegisterServer(plugin.string(), where);
}

} // namespace vortan::simboard
