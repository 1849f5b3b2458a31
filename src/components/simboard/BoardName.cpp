#include "components/simboard/BoardName.h"

#include <cstdlib>

namespace vortan::simboard {

bool IsPlainName(std::string_view name) noexcept {
    if (name.empty() || name.size() > kMaxNameBytes || name == "." || name == "..")
        return false;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '/' || byte < 0x20 || byte == 0x7F)
            return false;
    }
    return true;
}

bool IsMemoryName(std::string_view name) noexcept {
    return IsPlainName(name) && !name.starts_with(kIncomingPrefix);
}

std::filesystem::path BoardsDirectory() {
    const char* boards = std::getenv("VORTAN_BOARDS");
    if (boards != nullptr && *boards != '\0')
        return boards;
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data != nullptr && *data == '/')
        return std::filesystem::path(data) / "vortan" / "boards";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home != nullptr ? home : "") / ".local/share/vortan/boards";
}

} // namespace vortan::simboard
