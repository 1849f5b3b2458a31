#include "components/simboard/BoardName.h"

#include <cstdlib>

#include "components/simboard/BoardFiles.h"

namespace vortan::simboard {

bool IsPlainName(std::string_view name) noexcept {
    if (name.empty() || name.size() > kMaxNameBytes || name == "." || name == "..")
        return false;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '/' || byte < 0x20 || byte == 0x7F)
            return false;
    }
    return IsNativeName(name);
}

bool IsMemoryName(std::string_view name) noexcept {
    return IsPlainName(name) && !name.starts_with(kIncomingPrefix);
}

std::filesystem::path BoardsDirectory() {
    const char* boards = std::getenv("VORTAN_BOARDS");
    if (boards != nullptr && *boards != '\0')
        return boards;
    return DefaultBoardsDirectory();
}

} // namespace vortan::simboard
