#pragma once

// The example's "board": one directory per controller, whose files are the flash memory.
// A real board replaces these functions with its own link; the component classes stay.
// Boards live on disk, not in memory, because every client gets a VORTAN process of its
// own: what one client writes, the next one reads in another process.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace example_board {

// $VORTAN_EXAMPLE_BOARDS, else $XDG_RUNTIME_DIR/vortan-example-boards, else
// /tmp/vortan-example-boards. A board is a directory in there named after the controller.
std::filesystem::path BoardsRoot();

// A name that stays inside its directory: not empty, no '/', no control character, and not
// beginning with '.' (which keeps out "..", and the temporary files of copies in progress).
bool IsPlainName(std::string_view name);

struct MemoryFile {
    std::string name;
    std::uint64_t size = 0;
};
// The board's files, sorted by name; throws std::filesystem::filesystem_error.
std::vector<MemoryFile> ListFiles(const std::filesystem::path& board);

// A failed copy: errno, and whether it was the source that failed (else the target).
struct CopyError {
    int sysError = 0;
    bool atSource = false;
};
using Progress = std::function<void(std::uint64_t done, std::uint64_t total)>;
// Copies `from` to `to`, calling `progress` after each chunk. The copy lands in one step (a
// temporary file beside `to`, fsync, rename), so a failure leaves the old `to` or none.
CopyError CopyAtomically(const std::filesystem::path& from, const std::filesystem::path& to,
                         const Progress& progress);

} // namespace example_board
