#include "app/CommandLineInfo.h"

#include "platform/text/Ascii.h"

#include <string_view>

namespace vortan::app {

CommandLineInfo CommandLineInfo::Parse(std::span<const char* const> args) {
    CommandLineInfo info;
    for (const char* raw : args) {
        const std::string_view arg = raw != nullptr ? raw : "";
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
        } else if (arg == "--help" || arg == "-h") {
            info.action = Action::Help;
            return info;
        } else if (arg == "--version") {
            info.action = Action::Version;
            return info;
        } else {
            info.action = Action::Error;
            info.strError = std::string(arg);
            return info;
        }
    }
    return info;
}

} // namespace vortan::app
