#include "components/simboard/SimBoard.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <thread>

#include "components/simboard/BoardName.h"

namespace vortan::simboard {
namespace {

// Sleeps so that `done` bytes take at least done / speed seconds since `start`.
void Throttle(std::chrono::steady_clock::time_point start, std::uint64_t done,
              std::uint64_t speed) {
    if (speed == 0)
        return;
    const auto due = start + std::chrono::nanoseconds(static_cast<std::int64_t>(
                                 static_cast<long double>(done) * 1e9L / speed));
    std::this_thread::sleep_until(due);
}

} // namespace

BoardError SimBoard::Open(const std::filesystem::path& boardsDir, std::string_view name,
                          std::unique_ptr<SimBoard>& board) {
    board.reset();
    if (!IsPlainName(name))
        return Fail(BoardErrorCode::InvalidBoardName);
    const std::filesystem::path dir = boardsDir / std::string(name);
    if (!IsDirectory(dir) || !IsDirectory(dir / "flash"))
        return Fail(BoardErrorCode::NoSuchBoard);
    BoardConfig config;
    if (const BoardError error = BoardConfig::Load(dir / "board.ini", config))
        return error;
    std::unique_ptr<BoardFiles> files;
    if (const int error = BoardFiles::Lock(dir, files))
        return Fail(error == EWOULDBLOCK || error == EAGAIN ? BoardErrorCode::BoardBusy
                                                            : BoardErrorCode::BoardIoError,
                    error);
    files->SweepFlash(kIncomingPrefix);
    board.reset(new SimBoard(std::string(name), dir, config, std::move(files)));
    return {};
}

BoardError SimBoard::Create(const std::filesystem::path& boardsDir, std::string_view name,
                            const BoardConfig& config) {
    if (!IsPlainName(name))
        return Fail(BoardErrorCode::InvalidBoardName);
    std::error_code ec;
    std::filesystem::create_directories(boardsDir, ec);
    if (ec)
        return Fail(BoardErrorCode::BoardIoError, ec.value());
    const std::filesystem::path dir = boardsDir / std::string(name);
    if (const int error = MakeDirectory(dir))
        return Fail(error == EEXIST ? BoardErrorCode::BoardExists : BoardErrorCode::BoardIoError,
                    error);
    if (const int error = MakeDirectory(dir / "flash"))
        return Fail(BoardErrorCode::BoardIoError, error);
    return config.Save(dir / "board.ini");
}

std::int16_t SimBoard::Number() const noexcept {
    std::uint32_t hash = 2166136261u; // FNV-1a: stable across runs and builds
    for (const char c : m_strName)
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    return static_cast<std::int16_t>(hash & 0x7FFF);
}

bool SimBoard::Exists() const noexcept {
    // flash/ is found through the board's directory: one look answers for both.
    return IsDirectory(FlashDir());
}

void SimBoard::Remember(const std::string& name, std::optional<std::uint64_t> size) {
    if (!m_bSizesKnown)
        return;
    if (const auto old = m_sizes.find(name); old != m_sizes.end()) {
        m_nUsed -= old->second;
        m_sizes.erase(old);
    }
    if (size) {
        m_sizes.emplace(name, *size);
        m_nUsed += *size;
    }
}

BoardError SimBoard::List(std::vector<MemoryFile>& files) {
    files.clear();
    m_bSizesKnown = false;
    // IsMemoryName also leaves out the temporary file of a write.
    if (const int error = m_files->List(&IsMemoryName, files))
        return Fail(error == ENOENT ? BoardErrorCode::BoardGone : BoardErrorCode::BoardIoError,
                    error);
    std::sort(files.begin(), files.end(),
              [](const MemoryFile& a, const MemoryFile& b) { return a.name < b.name; });
    m_sizes.clear();
    m_nUsed = 0;
    for (const MemoryFile& file : files) {
        m_sizes.emplace(file.name, file.size);
        m_nUsed += file.size;
    }
    m_bSizesKnown = true;
    return {};
}

BoardError SimBoard::CheckDirectory() const {
    if (const int error = m_files->CheckFlash())
        return Fail(error == ENOENT ? BoardErrorCode::BoardGone : BoardErrorCode::BoardIoError,
                    error);
    return {};
}

BoardError SimBoard::BeginItem(bool changesMemory) {
    ++m_nItems;
    if (!Exists())
        return Fail(BoardErrorCode::BoardGone, ENOENT);
    if (changesMemory && m_config.readOnly)
        return Fail(BoardErrorCode::BoardReadOnly, EROFS);
    if (m_config.failItem != 0 && m_nItems == m_config.failItem)
        return Fail(BoardErrorCode::InjectedFault);
    return {};
}

BoardError SimBoard::Copy(const BoardFiles::OpenFile& source, const BoardFiles::OpenFile& target,
                          std::uint64_t size, bool toBoard, const ProgressFn& progress) const {
    const BoardErrorCode readFault =
        toBoard ? BoardErrorCode::LocalIoError : BoardErrorCode::BoardIoError;
    const BoardErrorCode writeFault =
        toBoard ? BoardErrorCode::BoardIoError : BoardErrorCode::LocalIoError;
    BoardFiles::Copier copier;
    const auto start = std::chrono::steady_clock::now();
    std::uint64_t done = 0;
    while (done < size) {
        std::size_t chunk =
            static_cast<std::size_t>(std::min<std::uint64_t>(kChunkBytes, size - done));
        if (m_config.failAfterBytes) {
            if (done >= *m_config.failAfterBytes)
                return Fail(BoardErrorCode::InjectedFault);
            chunk = static_cast<std::size_t>(
                std::min<std::uint64_t>(chunk, *m_config.failAfterBytes - done));
        }
        const BoardFiles::Copier::Step step = copier.Next(source, target, chunk);
        if (step.error != 0)
            return Fail(step.sourceFailed ? readFault : writeFault, step.error);
        done += step.bytes;
        Throttle(start, done, m_config.speed);
        if (progress)
            progress(done, size);
    }
    if (size == 0 && progress)
        progress(0, 0);
    return {};
}

BoardError SimBoard::Write(const std::string& localPath, const std::string& memoryName,
                           const ProgressFn& progress) {
    if (const BoardError error = BeginItem(true))
        return error;

    // The source first: a missing file named by a whole path is also no memory name, and
    // the missing file is what the user has to know about.
    if (localPath.size() >= PATH_MAX)
        return Fail(BoardErrorCode::LocalSourceMissing, ENAMETOOLONG);
    BoardFiles::OpenFile source;
    FileKind kind;
    if (const int error = BoardFiles::OpenSource(localPath, false, source, kind)) {
        const bool missing =
            error == ENOENT || error == ENOTDIR || error == ELOOP || error == ENAMETOOLONG;
        return Fail(!source && missing ? BoardErrorCode::LocalSourceMissing
                                       : BoardErrorCode::LocalIoError,
                    error);
    }
    if (!kind.regular)
        return Fail(BoardErrorCode::LocalSourceNotAFile, kind.directory ? EISDIR : 0);
    const auto size = kind.size;
    if (!IsMemoryName(memoryName))
        return Fail(BoardErrorCode::InvalidMemoryName);

    // Limits first: nothing is written for an item that cannot fit.
    if (!m_bSizesKnown) {
        std::vector<MemoryFile> files;
        if (const BoardError error = List(files))
            return error;
    }
    const auto old = m_sizes.find(memoryName);
    const bool replaces = old != m_sizes.end();
    const std::uint64_t used = m_nUsed - (replaces ? old->second : 0);
    if (!replaces && m_sizes.size() >= m_config.maxFiles)
        return Fail(BoardErrorCode::FileCountExceeded);
    if (size > m_config.capacity || used > m_config.capacity - size)
        return Fail(BoardErrorCode::CapacityExceeded);

    // The temporary file sits in flash/ itself: a rename across directories costs the file
    // system several times as much for small files.
    std::unique_ptr<BoardFiles::TempFile> temp;
    if (const int error = m_files->MakeFlashTemp(kIncomingPrefix, temp))
        return Fail(error == ENOENT ? BoardErrorCode::BoardGone : BoardErrorCode::BoardIoError,
                    error);
    if (const BoardError error = Copy(source, temp->File(), size, true, progress))
        return error;
    if (const int error = temp->Commit((FlashDir() / memoryName).string(), m_files->NewFileMode()))
        return Fail(error == ENOENT ? BoardErrorCode::BoardGone : BoardErrorCode::BoardIoError,
                    error);
    Remember(memoryName, size);
    return {};
}

BoardError SimBoard::Read(const std::string& memoryName, const std::string& localPath,
                          const ProgressFn& progress) {
    if (const BoardError error = BeginItem(false))
        return error;
    if (!IsMemoryName(memoryName))
        return Fail(BoardErrorCode::InvalidMemoryName);

    BoardFiles::OpenFile source;
    FileKind kind;
    if (const int error =
            BoardFiles::OpenSource((FlashDir() / memoryName).string(), true, source, kind))
        return Fail(!source && error == ENOENT ? BoardErrorCode::NoSuchMemoryFile
                                               : BoardErrorCode::BoardIoError,
                    error);
    if (!kind.regular)
        return Fail(BoardErrorCode::NoSuchMemoryFile);
    const auto size = kind.size;

    if (localPath.empty() || EndsInSeparator(localPath))
        return Fail(BoardErrorCode::LocalTargetUnwritable, EISDIR);
    if (localPath.size() >= PATH_MAX)
        return Fail(BoardErrorCode::LocalTargetUnwritable, ENAMETOOLONG);
    std::uint32_t mode = 0;
    if (const int error = m_files->CheckLocalTarget(localPath, mode))
        return Fail(BoardErrorCode::LocalTargetUnwritable, error);
    std::unique_ptr<BoardFiles::TempFile> temp;
    if (const int error = m_files->MakeLocalTemp(ParentOf(localPath), temp))
        return Fail(BoardErrorCode::LocalTargetUnwritable, error);
    if (const BoardError error = Copy(source, temp->File(), size, false, progress))
        return error;
    if (const int error = temp->Commit(localPath, mode))
        return Fail(BoardErrorCode::LocalTargetUnwritable, error);
    return {};
}

BoardError SimBoard::Remove(const std::string& memoryName, const ProgressFn& progress) {
    if (const BoardError error = BeginItem(true))
        return error;
    if (!IsMemoryName(memoryName))
        return Fail(BoardErrorCode::InvalidMemoryName);
    const std::string path = (FlashDir() / memoryName).string();
    FileKind kind;
    if (m_files->InspectFlashFile(path, kind) != 0 || !kind.regular)
        return Fail(BoardErrorCode::NoSuchMemoryFile, ENOENT);
    const auto size = kind.size;
    if (progress)
        progress(0, size);
    if (const int error = m_files->RemoveFlashFile(path))
        return Fail(error == ENOENT ? BoardErrorCode::NoSuchMemoryFile
                                    : BoardErrorCode::BoardIoError,
                    error);
    Remember(memoryName, std::nullopt);
    if (progress)
        progress(size, size);
    return {};
}

BoardError SimBoard::Format(const ProgressFn& progress) {
    if (const BoardError error = BeginItem(true))
        return error;
    std::vector<MemoryFile> files;
    if (const BoardError error = List(files))
        return error;
    const std::uint64_t total = files.size();
    std::uint64_t done = 0;
    for (const MemoryFile& file : files) {
        const int error = m_files->RemoveFlashFile((FlashDir() / file.name).string());
        if (error != 0 && error != ENOENT)
            return Fail(BoardErrorCode::BoardIoError, error);
        Remember(file.name, std::nullopt);
        ++done;
        if (progress)
            progress(done, total);
    }
    m_files->SyncFlash();
    if (total == 0 && progress)
        progress(0, 0);
    return {};
}

} // namespace vortan::simboard
