#include "PluginRegistration.h"

#include "platform/com/ClassRegistry.h"
#include "vortan/ContractIds.h"

namespace vortan::simboard {

const char* StorageHelp() noexcept {
    return "Boards live in $VORTAN_BOARDS, else $XDG_DATA_HOME/vortan/boards, else\n"
           "~/.local/share/vortan/boards. The class registry is $VORTAN_CLASSES, else\n"
           "$XDG_CONFIG_HOME/vortan/classes.ini, else ~/.config/vortan/classes.ini.\n";
}

// Installed, the plug-in sits in lib/vortan/; in the build tree, in lib/.
std::filesystem::path DefaultPlugin() {
    std::error_code ec;
    const std::filesystem::path lib =
        std::filesystem::read_symlink("/proc/self/exe", ec).parent_path() / ".." / "lib";
    const std::filesystem::path installed = lib / "vortan" / "libvortan-simboard.so";
    return std::filesystem::exists(installed, ec) ? installed : lib / "libvortan-simboard.so";
}

HRESULT RegisterPlugin(const std::filesystem::path& plugin, std::string& where) {
    com::ClassRegistry registry(com::ClassRegistry::DefaultPath());
    where = registry.Path().string();
    // Both classes in one write: the registry holds both or neither.
    const CLSID classes[] = {CLSID_ControllerAccess, CLSID_FlashHandling};
    return registry.RegisterClassPath(classes, plugin);
}

} // namespace vortan::simboard
