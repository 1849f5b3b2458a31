#include "components/simboard/BoardFiles.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vortan::simboard {
namespace {

using OpenFile = BoardFiles::OpenFile;
using TempFile = BoardFiles::TempFile;

// Prefix of the named temporary file of a read into a local directory. Such a file exists
// only between the naming and the rename of an item, or for a whole item where the file
// system has no unnamed files; a read that finds one whose owner has gone removes it.
constexpr std::string_view kReadPrefix = ".~vortan-read.";
// A read's file younger than this may belong to a read that has not locked it yet.
constexpr std::chrono::seconds kReadTempGrace{60};

int Fd(const OpenFile& file) noexcept {
    return static_cast<int>(file.Get());
}

// Unlinks a named temporary file unless the item committed it. An unnamed one (no path)
// vanishes with its descriptor, also in a crash.
class PosixTempFile final : public TempFile {
public:
    // `createdMode`: the permissions the file got when it was made (0 when not known).
    PosixTempFile(std::string dir, std::string path, OpenFile fd, mode_t createdMode = 0)
        : m_strDir(std::move(dir)), m_strPath(std::move(path)), m_fd(std::move(fd)),
          m_createdMode(createdMode) {}
    ~PosixTempFile() override {
        m_fd.Close();
        if (!m_bCommitted && !m_strPath.empty())
            ::unlink(m_strPath.c_str());
    }

    const OpenFile& File() const noexcept override { return m_fd; }

    // fsync, name an unnamed file, close, rename over `target`. An unnamed file for a target
    // that does not exist yet is linked there straight away: it appears whole all the same,
    // and the rename is saved.
    int Commit(const std::string& target, std::uint32_t mode) override {
        if ((mode != m_createdMode && ::fchmod(Fd(m_fd), mode) != 0) || ::fsync(Fd(m_fd)) != 0)
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
            ::flock(Fd(m_fd), LOCK_EX | LOCK_NB);
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
        const std::string self = "/proc/self/fd/" + std::to_string(Fd(m_fd));
        return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0
                   ? 0
                   : errno;
    }

    int LinkUnnamed() {
        const std::string self = "/proc/self/fd/" + std::to_string(Fd(m_fd));
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
    OpenFile m_fd;
    mode_t m_createdMode;
    bool m_bCommitted = false;
};

// A temporary file in `dir` whose name starts with `prefix`; errno on failure.
int MakeTemp(const std::string& dir, std::string_view prefix, std::unique_ptr<TempFile>& temp) {
    std::string pattern = dir + "/" + std::string(prefix) + "XXXXXX";
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0)
        return errno;
    temp = std::make_unique<PosixTempFile>(dir, std::move(pattern), OpenFile(fd));
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
        const OpenFile fd(::openat(::dirfd(stream), entry->d_name,
                                   O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat st {};
        if (!fd || ::fstat(Fd(fd), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
            continue;
        const auto modified = std::chrono::system_clock::from_time_t(st.st_mtime);
        if (now - modified < kReadTempGrace || ::flock(Fd(fd), LOCK_EX | LOCK_NB) != 0)
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

FileKind KindOf(const struct stat& st) {
    return FileKind{S_ISREG(st.st_mode), S_ISDIR(st.st_mode),
                    static_cast<std::uint64_t>(st.st_size)};
}

} // namespace

OpenFile& OpenFile::operator=(OpenFile&& other) noexcept {
    if (this != &other) {
        Close();
        m_native = other.Release();
    }
    return *this;
}

std::intptr_t OpenFile::Release() noexcept {
    const std::intptr_t native = m_native;
    m_native = kNone;
    return native;
}

int OpenFile::Close() noexcept {
    if (m_native == kNone)
        return 0;
    return ::close(static_cast<int>(Release())) == 0 ? 0 : errno;
}

BoardFiles::Copier::Step BoardFiles::Copier::Next(const OpenFile& source, const OpenFile& target,
                                                  std::size_t bytes) {
    if (m_bInKernel) {
        // The kernel copies without a round trip through a buffer; on any refusal (other
        // file systems, a fault) the plain path below takes over and names the failing side.
        const ssize_t moved = ::copy_file_range(Fd(source), nullptr, Fd(target), nullptr, bytes, 0);
        if (moved > 0)
            return Step{static_cast<std::size_t>(moved)};
        m_bInKernel = false;
        m_buffer.resize(bytes); // only for the plain path: not made for every item
    }
    if (m_buffer.size() < bytes)
        m_buffer.resize(bytes);
    ssize_t got = -1;
    while ((got = ::read(Fd(source), m_buffer.data(), bytes)) < 0) {
        if (errno != EINTR)
            return Step{0, errno, true};
    }
    if (got == 0)
        return Step{0, EIO, true}; // the source shrank while it was copied
    for (ssize_t put = 0; put < got;) {
        const ssize_t n =
            ::write(Fd(target), m_buffer.data() + put, static_cast<std::size_t>(got - put));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Step{0, errno, false};
        }
        put += n;
    }
    return Step{static_cast<std::size_t>(got)};
}

int BoardFiles::Lock(const std::filesystem::path& dir, std::unique_ptr<BoardFiles>& files) {
    OpenFile lock(::open((dir / "lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    if (!lock)
        return errno;
    if (::flock(Fd(lock), LOCK_EX | LOCK_NB) != 0)
        return errno;
    files.reset(new BoardFiles(dir, std::move(lock)));
    return 0;
}

int BoardFiles::List(bool (*keep)(std::string_view), std::vector<MemoryFile>& files) const {
    DIR* dir = ::opendir(FlashDir().c_str());
    if (dir == nullptr)
        return errno;
    const std::unique_ptr<DIR, int (*)(DIR*)> owner(dir, ::closedir);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (!keep(name))
            continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(st.st_mode))
            continue; // only regular files are the memory's
        files.push_back({name, static_cast<std::uint64_t>(st.st_size)});
    }
    return 0;
}

int BoardFiles::CheckFlash() const {
    DIR* dir = ::opendir(FlashDir().c_str());
    if (dir == nullptr)
        return errno;
    ::closedir(dir);
    return 0;
}

void BoardFiles::SyncFlash() const {
    // Single items skip it: their data is synced before the rename, which is what keeps them
    // whole; a crash may only undo the last rename.
    const OpenFile fd(::open(FlashDir().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd)
        ::fsync(Fd(fd));
}

void BoardFiles::SweepFlash(std::string_view prefix) const {
    // Holding the lock, every temporary file is one a crashed writer left behind.
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(FlashDir(), ec)) {
        if (entry.path().filename().string().starts_with(prefix))
            std::filesystem::remove(entry.path(), ec);
    }
}

int BoardFiles::MakeFlashTemp(std::string_view prefix, std::unique_ptr<TempFile>& temp) const {
    return MakeTemp(FlashDir().string(), prefix, temp);
}

int BoardFiles::InspectFlashFile(const std::string& path, FileKind& kind) const {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return errno;
    kind = KindOf(st);
    return 0;
}

int BoardFiles::RemoveFlashFile(const std::string& path) const {
    return ::unlink(path.c_str()) == 0 ? 0 : errno;
}

int BoardFiles::OpenSource(const std::string& path, bool noLinks, OpenFile& file, FileKind& kind) {
    file =
        OpenFile(::open(path.c_str(), O_RDONLY | O_CLOEXEC | (noLinks ? O_NOFOLLOW : O_NONBLOCK)));
    if (!file)
        return errno;
    struct stat st {};
    if (::fstat(Fd(file), &st) != 0)
        return errno;
    kind = KindOf(st);
    return 0;
}

int BoardFiles::CheckLocalTarget(const std::string& path, std::uint32_t& mode) {
    // An existing file keeps its permissions; anything new gets 0666 less the umask. The
    // entry itself is replaced: a symbolic link there gives way, it is never written through.
    mode = NewFileMode();
    struct stat target {};
    if (::lstat(path.c_str(), &target) == 0 && !S_ISLNK(target.st_mode)) {
        if (!S_ISREG(target.st_mode))
            return EISDIR;
        if (::access(path.c_str(), W_OK) != 0)
            return errno;
        mode = target.st_mode & 07777;
    }
    return 0;
}

int BoardFiles::MakeLocalTemp(const std::string& dir, std::unique_ptr<TempFile>& temp) {
    if (m_sweptDirs.insert(dir).second)
        SweepReadTemps(dir);
    // Unnamed where the file system offers it, else named with the read prefix. A named one
    // is locked while the read lives, which tells a later sweep that it is in use; an
    // unnamed one is locked once it gets a name (Commit). The unnamed one is made with a new
    // file's permissions, which then need no change when it becomes a new file: nobody can
    // open it before it has a name.
    OpenFile fd(::open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666));
    if (fd) {
        temp = std::make_unique<PosixTempFile>(dir, std::string(), std::move(fd), NewFileMode());
        return 0;
    }
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
        return errno;
    if (const int error = MakeTemp(dir, kReadPrefix, temp))
        return error;
    ::flock(Fd(temp->File()), LOCK_EX | LOCK_NB);
    return 0;
}

std::uint32_t BoardFiles::NewFileMode() {
    // Read once per connection: the items of one run share it.
    if (m_newFileMode == 0)
        m_newFileMode = CreationMode();
    return m_newFileMode;
}

std::error_code BoardFiles::RemoveBoard() {
    std::error_code ec;
    std::filesystem::remove_all(m_dir, ec); // still locked, so no one connects meanwhile
    m_lock.Close();
    return ec;
}

bool IsDirectory(const std::filesystem::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int MakeDirectory(const std::filesystem::path& path) {
    return ::mkdir(path.c_str(), 0755) == 0 ? 0 : errno;
}

std::string ParentOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

bool EndsInSeparator(std::string_view path) {
    return !path.empty() && path.back() == '/';
}

bool IsNativeName(std::string_view) noexcept {
    return true; // a plain name is one already
}

std::filesystem::path DefaultBoardsDirectory() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data != nullptr && *data == '/')
        return std::filesystem::path(data) / "vortan" / "boards";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home != nullptr ? home : "") / ".local/share/vortan/boards";
}

} // namespace vortan::simboard
