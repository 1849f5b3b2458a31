#include "app/CommandLineInfo.h"

#include <string_view>

#include "platform/text/Ascii.h"

namespace vortan::app {

CommandLineInfo CommandLineInfo::Parse(std::span<const char* const> args) {
    CommandLineInfo info;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i] != nullptr ? args[i] : "";
        std::string_view word = arg;
        if (word.starts_with("--"))
            word.remove_prefix(2);
        else if (word.starts_with('-') || word.starts_with('/'))
            word.remove_prefix(1);
        else
            word = {};

        if (text::EqualsNoCase(word, "embedding")) {
            info.bRunEmbedded = true;
        } else if (text::EqualsNoCase(word, "automation")) {
            info.bRunAutomated = true;
        } else if (arg == "--register") {
            info.action = Action::Register;
        } else if (arg == "--unregister") {
            info.action = Action::Unregister;
        } else if (arg == "--register-plugin" || arg == "--unregister-plugin") {
            info.action =
                arg == "--register-plugin" ? Action::RegisterPlugin : Action::UnregisterPlugin;
            if (i + 1 < args.size() && args[i + 1] != nullptr)
                info.strPlugin = args[++i];
            if (info.strPlugin.empty()) {
                info.action = Action::Error;
                info.strError = std::string(arg) + " needs the PATH of a plug-in";
                return info;
            }
        } else if (arg == "--help" || arg == "-h") {
            info.action = Action::Help;
            return info;
        } else if (arg == "--version") {
            info.action = Action::Version;
            return info;
        } else {
            info.action = Action::Error;
            info.strError = "unknown option '" + std::string(arg) + "'";
            return info;
        }
    }
    return info;
}

} // namespace vortan::app
