#include "components/simboard/SimBoard.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "components/simboard/BoardName.h"

namespace vortan::simboard {
namespace {

// Prefix of the named temporary file of a read into a local directory. Such a file exists
// only between the naming and the rename of an item, or for a whole item where the file
// system has no unnamed files; a read that finds one whose owner has gone removes it.
constexpr std::string_view kReadPrefix = ".~vortan-read.";
// A read's file younger than this may belong to a read that has not locked it yet.
constexpr std::chrono::seconds kReadTempGrace{60};

// Unlinks a named temporary file unless the item committed it. An unnamed one (no path)
// vanishes with its descriptor, also in a crash.
class TempFile final {
public:
    // `createdMode`: the permissions the file got when it was made (0 when not known).
    TempFile(std::string dir, std::string path, UniqueFd fd, mode_t createdMode = 0)
        : m_strDir(std::move(dir)), m_strPath(std::move(path)), m_fd(std::move(fd)),
          m_createdMode(createdMode) {}
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() {
        m_fd.Reset();
        if (!m_bCommitted && !m_strPath.empty())
            ::unlink(m_strPath.c_str());
    }

    int Fd() const noexcept { return m_fd.Get(); }

    // fsync, name an unnamed file, close, rename over `target`; the errno of the failed
    // step, else 0. An unnamed file for a target that does not exist yet is linked there
    // straight away: it appears whole all the same, and the rename is saved.
    int Commit(const std::string& target, mode_t mode) {
        if ((mode != m_createdMode && ::fchmod(m_fd.Get(), mode) != 0) || ::fsync(m_fd.Get()) != 0)
            return errno;
        if (m_strPath.empty()) {
            int error = LinkUnnamedAt(target);
            if (error != EEXIST) {
                if (error == 0 && (error = m_fd.Close()) != 0)
                    ::unlink(target.c_str()); // nothing was there before
                m_bCommitted = error == 0;
                return error;
            }
            // Something is there (a file, a link): replaced by a rename as below. Named, the
            // file is locked first, which tells a sweep that it is in use.
            ::flock(m_fd.Get(), LOCK_EX | LOCK_NB);
            if ((error = LinkUnnamed()) != 0)
                return error;
        }
        if (const int error = m_fd.Close(); error != 0)
            return error;
        if (::rename(m_strPath.c_str(), target.c_str()) != 0)
            return errno;
        m_bCommitted = true;
        return 0;
    }

private:
    int LinkUnnamedAt(const std::string& name) const {
        const std::string self = "/proc/self/fd/" + std::to_string(m_fd.Get());
        return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0
                   ? 0
                   : errno;
    }

    int LinkUnnamed() {
        const std::string self = "/proc/self/fd/" + std::to_string(m_fd.Get());
        for (unsigned attempt = 0;; ++attempt) {
            std::string name = m_strDir + "/" + std::string(kReadPrefix) +
                               std::to_string(::getpid()) + "." + std::to_string(attempt);
            if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                m_strPath = std::move(name);
                return 0;
            }
            if (errno != EEXIST || attempt > 100)
                return errno;
        }
    }

    std::string m_strDir;
    std::string m_strPath;
    UniqueFd m_fd;
    mode_t m_createdMode;
    bool m_bCommitted = false;
};

// A temporary file in `dir` whose name starts with `prefix`; errno on failure.
int MakeTemp(const std::string& dir, const std::string& prefix, std::unique_ptr<TempFile>& temp) {
    std::string pattern = dir + "/" + prefix + "XXXXXX";
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0)
        return errno;
    temp = std::make_unique<TempFile>(dir, std::move(pattern), UniqueFd(fd));
    return 0;
}

// The temporary file of a read into `dir`: unnamed where the file system offers it, else
// named with the read prefix. A named one is locked while the read lives, which tells a later
// sweep that it is in use; an unnamed one is locked once it gets a name (Commit). The unnamed
// one is made with a new file's permissions (`newFileMode`, 0666 less the umask), which then
// need no change when it becomes a new file: nobody can open it before it has a name.
int MakeReadTemp(const std::string& dir, mode_t newFileMode, std::unique_ptr<TempFile>& temp) {
    UniqueFd fd(::open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666));
    if (fd) {
        temp = std::make_unique<TempFile>(dir, std::string(), std::move(fd), newFileMode);
        return 0;
    }
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
        return errno;
    if (const int error = MakeTemp(dir, std::string(kReadPrefix), temp))
        return error;
    ::flock(temp->Fd(), LOCK_EX | LOCK_NB);
    return 0;
}

// Removes read temporaries in `dir` that no running read holds.
void SweepReadTemps(const std::string& dir) {
    DIR* stream = ::opendir(dir.c_str());
    if (stream == nullptr)
        return;
    const std::unique_ptr<DIR, int (*)(DIR*)> owner(stream, ::closedir);
    const auto now = std::chrono::system_clock::now();
    while (const dirent* entry = ::readdir(stream)) {
        if (!std::string_view(entry->d_name).starts_with(kReadPrefix))
            continue;
        const UniqueFd fd(::openat(::dirfd(stream), entry->d_name,
                                   O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat st {};
        if (!fd || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
            continue;
        const auto modified = std::chrono::system_clock::from_time_t(st.st_mtime);
        if (now - modified < kReadTempGrace || ::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0)
            continue;
        ::unlinkat(::dirfd(stream), entry->d_name, 0);
    }
}

// 0666 less the process's umask: the mode a newly created file gets.
mode_t CreationMode() {
    mode_t mask = 022;
    std::ifstream status("/proc/self/status");
    std::string line;
    bool found = false;
    while (!found && std::getline(status, line)) {
        if (line.starts_with("Umask:")) {
            mask = static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
            found = true;
        }
    }
    if (!found) {
        // Without /proc the mask can only be read by setting it; put it back at once.
        mask = ::umask(022);
        ::umask(mask);
    }
    return 0666 & ~mask;
}

// Makes the names in `dir` durable. Single items skip it: their data is synced before the
// rename, which is what keeps them whole; a crash may only undo the last rename.
void SyncDirectory(const std::string& dir) {
    const UniqueFd fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd)
        ::fsync(fd.Get());
}

bool IsDirectory(const std::filesystem::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string ParentOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

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
    UniqueFd lock(::open((dir / "lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    if (!lock)
        return Fail(BoardErrorCode::BoardIoError, errno);
    if (::flock(lock.Get(), LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        return Fail(error == EWOULDBLOCK ? BoardErrorCode::BoardBusy : BoardErrorCode::BoardIoError,
                    error);
    }
    board.reset(new SimBoard(std::string(name), dir, config, std::move(lock)));
    board->SweepIncoming();
    return {};
}

void SimBoard::SweepIncoming() {
    // Holding the lock, every temporary file is one a crashed writer left behind.
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(FlashDir(), ec)) {
        if (entry.path().filename().string().starts_with(kIncomingPrefix))
            std::filesystem::remove(entry.path(), ec);
    }
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
    if (::mkdir(dir.c_str(), 0755) != 0)
        return Fail(errno == EEXIST ? BoardErrorCode::BoardExists : BoardErrorCode::BoardIoError,
                    errno);
    if (::mkdir((dir / "flash").c_str(), 0755) != 0)
        return Fail(BoardErrorCode::BoardIoError, errno);
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
    const std::string flash = FlashDir().string();
    DIR* dir = ::opendir(flash.c_str());
    if (dir == nullptr)
        return Fail(errno == ENOENT ? BoardErrorCode::BoardGone : BoardErrorCode::BoardIoError,
                    errno);
    const std::unique_ptr<DIR, int (*)(DIR*)> owner(dir, ::closedir);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (!IsMemoryName(name))
            continue; // also the temporary file of a write
        struct stat st {};
        if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(st.st_mode))
            continue; // only regular files are the memory's
        files.push_back({name, static_cast<std::uint64_t>(st.st_size)});
    }
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

std::uint32_t SimBoard::NewFileMode() {
    if (!m_newFileMode)
        m_newFileMode = CreationMode();
    return *m_newFileMode;
}

BoardError SimBoard::CheckDirectory() const {
    DIR* dir = ::opendir(FlashDir().c_str());
    if (dir == nullptr)
        return Fail(errno == ENOENT ? BoardErrorCode::BoardGone : BoardErrorCode::BoardIoError,
                    errno);
    ::closedir(dir);
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

BoardError SimBoard::Copy(int source, int target, std::uint64_t size, bool toBoard,
                          const ProgressFn& progress) const {
    const BoardErrorCode readFault =
        toBoard ? BoardErrorCode::LocalIoError : BoardErrorCode::BoardIoError;
    const BoardErrorCode writeFault =
        toBoard ? BoardErrorCode::BoardIoError : BoardErrorCode::LocalIoError;
    // Only for the plain path: made when the kernel refuses, not for every item.
    std::vector<char> buffer;
    const auto start = std::chrono::steady_clock::now();
    std::uint64_t done = 0;
    bool inKernel = true;
    while (done < size) {
        std::size_t chunk =
            static_cast<std::size_t>(std::min<std::uint64_t>(kChunkBytes, size - done));
        if (m_config.failAfterBytes) {
            if (done >= *m_config.failAfterBytes)
                return Fail(BoardErrorCode::InjectedFault);
            chunk = static_cast<std::size_t>(
                std::min<std::uint64_t>(chunk, *m_config.failAfterBytes - done));
        }
        if (inKernel) {
            // The kernel copies without a round trip through this buffer; on any refusal
            // (other file systems, a fault) the plain path below takes over and names the
            // failing side.
            const ssize_t moved = ::copy_file_range(source, nullptr, target, nullptr, chunk, 0);
            if (moved > 0) {
                done += static_cast<std::uint64_t>(moved);
                Throttle(start, done, m_config.speed);
                if (progress)
                    progress(done, size);
                continue;
            }
            inKernel = false;
            buffer.resize(kChunkBytes);
        }
        const ssize_t got = ::read(source, buffer.data(), chunk);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return Fail(readFault, errno);
        }
        if (got == 0)
            return Fail(readFault, EIO); // the source shrank while it was copied
        for (ssize_t put = 0; put < got;) {
            const ssize_t n =
                ::write(target, buffer.data() + put, static_cast<std::size_t>(got - put));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return Fail(writeFault, errno);
            }
            put += n;
        }
        done += static_cast<std::uint64_t>(got);
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
    const UniqueFd source(::open(localPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!source) {
        const int error = errno;
        const bool missing =
            error == ENOENT || error == ENOTDIR || error == ELOOP || error == ENAMETOOLONG;
        return Fail(missing ? BoardErrorCode::LocalSourceMissing : BoardErrorCode::LocalIoError,
                    error);
    }
    struct stat st {};
    if (::fstat(source.Get(), &st) != 0)
        return Fail(BoardErrorCode::LocalIoError, errno);
    if (!S_ISREG(st.st_mode))
        return Fail(BoardErrorCode::LocalSourceNotAFile, S_ISDIR(st.st_mode) ? EISDIR : 0);
    const auto size = static_cast<std::uint64_t>(st.st_size);
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
    std::unique_ptr<TempFile> temp;
    if (const int error = MakeTemp(FlashDir().string(), kIncomingPrefix, temp))
        return Fail(error == ENOENT ? BoardErrorCode::BoardGone : BoardErrorCode::BoardIoError,
                    error);
    if (const BoardError error = Copy(source.Get(), temp->Fd(), size, true, progress))
        return error;
    if (const int error = temp->Commit((FlashDir() / memoryName).string(), NewFileMode()))
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

    const UniqueFd source(
        ::open((FlashDir() / memoryName).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (!source)
        return Fail(errno == ENOENT ? BoardErrorCode::NoSuchMemoryFile
                                    : BoardErrorCode::BoardIoError,
                    errno);
    struct stat st {};
    if (::fstat(source.Get(), &st) != 0)
        return Fail(BoardErrorCode::BoardIoError, errno);
    if (!S_ISREG(st.st_mode))
        return Fail(BoardErrorCode::NoSuchMemoryFile);
    const auto size = static_cast<std::uint64_t>(st.st_size);

    if (localPath.empty() || localPath.back() == '/')
        return Fail(BoardErrorCode::LocalTargetUnwritable, EISDIR);
    if (localPath.size() >= PATH_MAX)
        return Fail(BoardErrorCode::LocalTargetUnwritable, ENAMETOOLONG);
    // An existing file keeps its permissions; anything new gets 0666 less the umask. The
    // entry itself is replaced: a symbolic link there gives way, it is never written through.
    mode_t mode = NewFileMode();
    struct stat target {};
    if (::lstat(localPath.c_str(), &target) == 0 && !S_ISLNK(target.st_mode)) {
        if (!S_ISREG(target.st_mode))
            return Fail(BoardErrorCode::LocalTargetUnwritable, EISDIR);
        if (::access(localPath.c_str(), W_OK) != 0)
            return Fail(BoardErrorCode::LocalTargetUnwritable, errno);
        mode = target.st_mode & 07777;
    }
    const std::string dir = ParentOf(localPath);
    if (m_sweptDirs.insert(dir).second)
        SweepReadTemps(dir);
    std::unique_ptr<TempFile> temp;
    if (const int error = MakeReadTemp(dir, NewFileMode(), temp))
        return Fail(BoardErrorCode::LocalTargetUnwritable, error);
    if (const BoardError error = Copy(source.Get(), temp->Fd(), size, false, progress))
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
    const std::filesystem::path path = FlashDir() / memoryName;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return Fail(BoardErrorCode::NoSuchMemoryFile, ENOENT);
    const auto size = static_cast<std::uint64_t>(st.st_size);
    if (progress)
        progress(0, size);
    if (::unlink(path.c_str()) != 0)
        return Fail(errno == ENOENT ? BoardErrorCode::NoSuchMemoryFile
                                    : BoardErrorCode::BoardIoError,
                    errno);
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
        if (::unlink((FlashDir() / file.name).c_str()) != 0 && errno != ENOENT)
            return Fail(BoardErrorCode::BoardIoError, errno);
        Remember(file.name, std::nullopt);
        ++done;
        if (progress)
            progress(done, total);
    }
    SyncDirectory(FlashDir().string());
    if (total == 0 && progress)
        progress(0, 0);
    return {};
}

} // namespace vortan::simboard
