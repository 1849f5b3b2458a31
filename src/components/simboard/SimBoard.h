#pragma once

// One board of the simulated store, opened and locked: a directory <boards>/<name>/ with
// board.ini, flash/ (the memory's files) and a lock file. While a SimBoard lives it holds
// an exclusive lock on the lock file, so no other process can connect to the board.
//
// Every operation is one item: it checks everything it can before it changes anything,
// copies through a temporary file beside the target (flushed to disk, then renamed over the
// target), and leaves neither a half file nor a damaged old one when it fails. The files
// themselves are the platform's business (BoardFiles). Progress is reported every 64 KiB and at
// the end of the item.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "components/simboard/BoardConfig.h"
#include "components/simboard/BoardError.h"
#include "components/simboard/BoardFiles.h"

namespace vortan::simboard {

// (done, total) of the current item.
using ProgressFn = std::function<void(std::uint64_t, std::uint64_t)>;

inline constexpr std::size_t kChunkBytes = 64 * 1024;

class SimBoard final {
public:
    SimBoard(const SimBoard&) = delete;
    SimBoard& operator=(const SimBoard&) = delete;
    ~SimBoard() = default;

    // Opens and locks the board `name` in `boardsDir`.
    static BoardError Open(const std::filesystem::path& boardsDir, std::string_view name,
                           std::unique_ptr<SimBoard>& board);
    // Makes a new, empty board.
    static BoardError Create(const std::filesystem::path& boardsDir, std::string_view name,
                             const BoardConfig& config);

    const std::string& Name() const noexcept { return m_strName; }
    const std::filesystem::path& Directory() const noexcept { return m_dir; }
    const BoardConfig& Config() const noexcept { return m_config; }
    // A number of this board for names other programs see (0 to 32767, from the name).
    std::int16_t Number() const noexcept;
    // False once the board's directory or its flash/ directory has gone.
    bool Exists() const noexcept;

    // The memory's files, sorted by name, read afresh. The sizes it finds are what the
    // limits of later writes are checked against: while the board is connected, this
    // connection is the only one that changes the memory.
    BoardError List(std::vector<MemoryFile>& files);
    // Whether the memory's directory can be listed, without listing it.
    BoardError CheckDirectory() const;

    BoardError Write(const std::string& localPath, const std::string& memoryName,
                     const ProgressFn& progress);
    BoardError Read(const std::string& memoryName, const std::string& localPath,
                    const ProgressFn& progress);
    // `progress` gets (0, size) before and (size, size) after the removal.
    BoardError Remove(const std::string& memoryName, const ProgressFn& progress);
    // Removes every file; `progress` gets (files removed, files in all) after each.
    BoardError Format(const ProgressFn& progress);
    // Deletes the board with everything in it; this object is spent then.
    std::error_code Delete() { return m_files->RemoveBoard(); }

private:
    SimBoard(std::string name, std::filesystem::path dir, BoardConfig config,
             std::unique_ptr<BoardFiles> files)
        : m_strName(std::move(name)), m_dir(std::move(dir)), m_config(config),
          m_files(std::move(files)) {}

    // Counts the item and applies the checks every item shares.
    BoardError BeginItem(bool changesMemory);
    BoardError Copy(const BoardFiles::OpenFile& source, const BoardFiles::OpenFile& target,
                    std::uint64_t size, bool toBoard, const ProgressFn& progress) const;
    std::filesystem::path FlashDir() const { return m_dir / "flash"; }
    // Keeps the known sizes in step with an item that changed the memory (nothing: removed).
    void Remember(const std::string& name, std::optional<std::uint64_t> size);

    std::string m_strName;
    std::filesystem::path m_dir;
    BoardConfig m_config;
    std::unique_ptr<BoardFiles> m_files; // holds the board's lock
    std::uint64_t m_nItems = 0;
    bool m_bSizesKnown = false;
    std::map<std::string, std::uint64_t> m_sizes; // name -> bytes, once List has run
    std::uint64_t m_nUsed = 0;
};

} // namespace vortan::simboard
