#pragma once

// Names of boards and of files in a board's memory, and where the boards live.

#include <filesystem>
#include <string_view>

namespace vortan::simboard {

inline constexpr std::size_t kMaxNameBytes = 64;

// A plain name: 1 to 64 bytes, no '/', no control character (below 0x20 or 0x7F), not "."
// or "..", and stored as it is by the platform (Windows: no backslash, ':', wildcards, device
// names, trailing dots or blanks). Such a name can never leave the directory it is looked
// up in.
bool IsPlainName(std::string_view name) noexcept;

// Temporary files of writes in a board's flash/ start with this; no memory name does.
inline constexpr const char* kIncomingPrefix = ".~incoming.";

// A name of a file in a board's memory: a plain name that is no temporary file's.
bool IsMemoryName(std::string_view name) noexcept;

// $VORTAN_BOARDS if set and not empty, else $XDG_DATA_HOME/vortan/boards, else
// $HOME/.local/share/vortan/boards; on Windows %LOCALAPPDATA%\vortan\boards.
std::filesystem::path BoardsDirectory();

} // namespace vortan::simboard
