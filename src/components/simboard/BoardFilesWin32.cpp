#include <cerrno>
#include <cstdlib>
#include <windows.h>

#include "components/simboard/BoardFiles.h"

// The Windows half: handles, a byte-range lock on the lock file, temporary files that are
// delete-pending until committed (a crash removes them with the process's handles), and
// MoveFileEx / ReplaceFile to put them in place.

namespace vortan::simboard {
namespace {

using OpenFile = BoardFiles::OpenFile;
using TempFile = BoardFiles::TempFile;

// Prefix of the temporary file of a read into a local directory; one left behind (its
// commit was cut short) is removed by a later read once nobody has it open.
constexpr std::string_view kReadPrefix = ".~vortan-read.";
// A read's file younger than this (100 ns units) may belong to a read still running.
constexpr ULONGLONG kReadTempGrace = 60ull * 10'000'000;
// The `mode` of an existing local target: replace it keeping its security and attributes.
// New files get the directory's default security, as a new file of the user would.
constexpr std::uint32_t kKeepTarget = 1;

HANDLE Native(const OpenFile& file) noexcept {
    return reinterpret_cast<HANDLE>(file.Get());
}

// The errno nearest to a Windows error.
int ErrnoOf(DWORD error) noexcept {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_INVALID_DRIVE:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
        return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return EAGAIN;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_DIRECTORY:
        return ENOTDIR;
    case ERROR_DIR_NOT_EMPTY:
        return ENOTEMPTY;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    default:
        return EIO;
    }
}

int LastErrno() noexcept {
    return ErrnoOf(GetLastError());
}

std::string Join(const std::string& dir, std::string_view name) {
    return dir + "\\" + std::string(name);
}

// Marks an open file for deletion when its last handle closes, or takes the mark back.
bool SetDeletePending(HANDLE file, bool pending) noexcept {
    FILE_DISPOSITION_INFO info{};
    info.DeleteFile = pending ? TRUE : FALSE;
    return SetFileInformationByHandle(file, FileDispositionInfo, &info, sizeof info) != FALSE;
}

class Win32TempFile final : public TempFile {
public:
    Win32TempFile(std::string path, OpenFile file, bool deletePending)
        : m_strPath(std::move(path)), m_file(std::move(file)), m_bDeletePending(deletePending) {}
    ~Win32TempFile() override {
        if (m_bCommitted)
            return;
        const bool pending = m_file && m_bDeletePending;
        m_file.Close();
        if (!pending)
            DeleteFileA(m_strPath.c_str());
    }

    const OpenFile& File() const noexcept override { return m_file; }

    int Commit(const std::string& target, std::uint32_t mode) override {
        if (!FlushFileBuffers(Native(m_file)))
            return LastErrno();
        if (m_bDeletePending && !SetDeletePending(Native(m_file), false))
            return LastErrno();
        m_bDeletePending = false;
        if (const int error = m_file.Close())
            return error;
        // Either call swaps the names in one step: the target is the old file or the new
        // one, whole. A link at the target is replaced itself, never written through.
        const BOOL moved = mode == kKeepTarget
                               ? ReplaceFileA(target.c_str(), m_strPath.c_str(), nullptr,
                                              REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                               : MoveFileExA(m_strPath.c_str(), target.c_str(),
                                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
        if (!moved)
            return LastErrno();
        m_bCommitted = true;
        return 0;
    }

private:
    std::string m_strPath;
    OpenFile m_file;
    bool m_bDeletePending;
    bool m_bCommitted = false;
};

// A new temporary file in `dir` named `prefix` + a unique suffix, created with the default
// security, open for this item alone and delete-pending where the file system allows it.
int MakeTemp(const std::string& dir, std::string_view prefix, std::unique_ptr<TempFile>& temp) {
    static LONG counter = 0;
    for (unsigned attempt = 0;; ++attempt) {
        const std::string path =
            Join(dir, std::string(prefix) + std::to_string(GetCurrentProcessId()) + "." +
                          std::to_string(InterlockedIncrement(&counter)) + "." +
                          std::to_string(GetTickCount64() % 100000));
        OpenFile file(reinterpret_cast<std::intptr_t>(
            CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                        FILE_ATTRIBUTE_NORMAL, nullptr)));
        if (file) {
            const bool pending = SetDeletePending(Native(file), true);
            temp = std::make_unique<Win32TempFile>(path, std::move(file), pending);
            return 0;
        }
        const DWORD error = GetLastError();
        if ((error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) || attempt > 100)
            return ErrnoOf(error);
    }
}

ULONGLONG Ticks(const FILETIME& time) noexcept {
    return (ULONGLONG{time.dwHighDateTime} << 32) | time.dwLowDateTime;
}

// Calls `visit` for each entry of `dir` but "." and ".."; 0 or the errno of the listing.
template <typename Visit>
int ForEachEntry(const std::string& dir, std::string_view pattern, Visit visit) {
    WIN32_FIND_DATAA found{};
    const HANDLE search = FindFirstFileA(Join(dir, pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        // No match in a directory that exists is an empty listing.
        return error == ERROR_FILE_NOT_FOUND && IsDirectory(dir) ? 0 : ErrnoOf(error);
    }
    do {
        const std::string_view name = found.cFileName;
        if (name != "." && name != "..")
            visit(found);
    } while (FindNextFileA(search, &found));
    const DWORD error = GetLastError();
    FindClose(search);
    return error == ERROR_NO_MORE_FILES ? 0 : ErrnoOf(error);
}

bool IsRegular(DWORD attributes) noexcept {
    return (attributes &
            (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) == 0;
}

// Removes read temporaries in `dir` that are old enough and that no running read holds
// open (it shares nothing, so the delete fails).
void SweepReadTemps(const std::string& dir) {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    ForEachEntry(dir, std::string(kReadPrefix) + "*", [&](const WIN32_FIND_DATAA& found) {
        if (IsRegular(found.dwFileAttributes) &&
            Ticks(now) - Ticks(found.ftLastWriteTime) >= kReadTempGrace)
            DeleteFileA(Join(dir, found.cFileName).c_str());
    });
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
    return CloseHandle(reinterpret_cast<HANDLE>(Release())) ? 0 : LastErrno();
}

BoardFiles::Copier::Step BoardFiles::Copier::Next(const OpenFile& source, const OpenFile& target,
                                                  std::size_t bytes) {
    if (m_buffer.size() < bytes)
        m_buffer.resize(bytes);
    DWORD got = 0;
    if (!ReadFile(Native(source), m_buffer.data(), static_cast<DWORD>(bytes), &got, nullptr))
        return Step{0, LastErrno(), true};
    if (got == 0)
        return Step{0, EIO, true}; // the source shrank while it was copied
    for (DWORD put = 0; put < got;) {
        DWORD n = 0;
        if (!WriteFile(Native(target), m_buffer.data() + put, got - put, &n, nullptr))
            return Step{0, LastErrno(), false};
        put += n;
    }
    return Step{got};
}

int BoardFiles::Lock(const std::filesystem::path& dir, std::unique_ptr<BoardFiles>& files) {
    // Shared for deletion, so that removing a board can take the file while holding it.
    OpenFile lock(reinterpret_cast<std::intptr_t>(
        CreateFileA((dir / "lock").string().c_str(), GENERIC_READ | GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                    FILE_ATTRIBUTE_NORMAL, nullptr)));
    if (!lock)
        return LastErrno();
    // A lock belongs to its handle: a second connection of this process conflicts too.
    OVERLAPPED at{};
    if (!LockFileEx(Native(lock), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                    &at))
        return LastErrno();
    files.reset(new BoardFiles(dir, std::move(lock)));
    return 0;
}

int BoardFiles::List(bool (*keep)(std::string_view), std::vector<MemoryFile>& files) const {
    return ForEachEntry(FlashDir().string(), "*", [&](const WIN32_FIND_DATAA& found) {
        if (keep(found.cFileName) && IsRegular(found.dwFileAttributes))
            files.push_back(
                {found.cFileName, (std::uint64_t{found.nFileSizeHigh} << 32) | found.nFileSizeLow});
    });
}

int BoardFiles::CheckFlash() const {
    return ForEachEntry(FlashDir().string(), "*", [](const WIN32_FIND_DATAA&) {});
}

void BoardFiles::SyncFlash() const {
    // Each rename was written through; this covers the removals of a format.
    const OpenFile dir(reinterpret_cast<std::intptr_t>(
        CreateFileA(FlashDir().string().c_str(), GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS, nullptr)));
    if (dir)
        FlushFileBuffers(Native(dir));
}

void BoardFiles::SweepFlash(std::string_view prefix) const {
    // Holding the lock, every temporary file is one a crashed writer left behind.
    const std::string flash = FlashDir().string();
    ForEachEntry(flash, std::string(prefix) + "*", [&](const WIN32_FIND_DATAA& found) {
        DeleteFileA(Join(flash, found.cFileName).c_str());
    });
}

int BoardFiles::MakeFlashTemp(std::string_view prefix, std::unique_ptr<TempFile>& temp) const {
    return MakeTemp(FlashDir().string(), prefix, temp);
}

int BoardFiles::InspectFlashFile(const std::string& path, FileKind& kind) const {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return LastErrno();
    kind.regular = IsRegular(data.dwFileAttributes);
    kind.directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    kind.size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    return 0;
}

int BoardFiles::RemoveFlashFile(const std::string& path) const {
    return DeleteFileA(path.c_str()) ? 0 : LastErrno();
}

int BoardFiles::OpenSource(const std::string& path, bool noLinks, OpenFile& file, FileKind& kind) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return LastErrno();
    kind = FileKind{};
    // A directory cannot be opened as a file here; what it is says enough.
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        kind.directory = true;
        return 0;
    }
    if (noLinks && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return ELOOP;
    file = OpenFile(reinterpret_cast<std::intptr_t>(
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr)));
    if (!file)
        return LastErrno();
    LARGE_INTEGER size{};
    if (GetFileType(Native(file)) != FILE_TYPE_DISK)
        return 0; // a device or a pipe: no regular file
    if (!GetFileSizeEx(Native(file), &size))
        return LastErrno();
    kind.regular = true;
    kind.size = static_cast<std::uint64_t>(size.QuadPart);
    return 0;
}

int BoardFiles::CheckLocalTarget(const std::string& path, std::uint32_t& mode) {
    mode = NewFileMode();
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return 0; // new, or a link that gives way
    if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0)
        return EISDIR;
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0)
        return EACCES;
    mode = kKeepTarget;
    return 0;
}

int BoardFiles::MakeLocalTemp(const std::string& dir, std::unique_ptr<TempFile>& temp) {
    if (m_sweptDirs.insert(dir).second)
        SweepReadTemps(dir);
    return MakeTemp(dir, kReadPrefix, temp);
}

std::uint32_t BoardFiles::NewFileMode() {
    return 0; // new files take the default security of their directory
}

std::error_code BoardFiles::RemoveBoard() {
    // An open file cannot leave its directory: everything but the lock goes while it is
    // held, then the lock and the directory.
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(m_dir, ec)) {
        if (entry.path().filename() != "lock")
            std::filesystem::remove_all(entry.path(), ec);
        if (ec)
            return ec;
    }
    if (ec)
        return ec;
    m_lock.Close();
    std::filesystem::remove_all(m_dir, ec);
    return ec;
}

bool IsDirectory(const std::filesystem::path& path) {
    const DWORD attributes = GetFileAttributesA(path.string().c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

int MakeDirectory(const std::filesystem::path& path) {
    return CreateDirectoryA(path.string().c_str(), nullptr) ? 0 : LastErrno();
}

std::string ParentOf(const std::string& path) {
    const auto slash = path.find_last_of("/\\");
    if (slash == std::string::npos)
        return ".";
    // The root of a drive keeps its separator: the parent of C:\x is C:\, not C:.
    if (slash == 0 || (slash == 2 && path[1] == ':'))
        return path.substr(0, slash + 1);
    return path.substr(0, slash);
}

bool EndsInSeparator(std::string_view path) {
    return !path.empty() && (path.back() == '/' || path.back() == '\\');
}

bool IsNativeName(std::string_view name) noexcept {
    if (name.find_first_of("\\:*?\"<>|") != std::string_view::npos)
        return false;
    // Windows drops trailing dots and blanks: "A.CFG." would be "A.CFG".
    if (name.back() == '.' || name.back() == ' ')
        return false;
    // Device names are devices in every directory, with any extension.
    std::string base(name.substr(0, name.find('.')));
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    for (char& c : base)
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL" || base == "CONIN$" ||
        base == "CONOUT$")
        return false;
    const bool numbered = base.size() == 4 && base[3] >= '0' && base[3] <= '9' &&
                          (base.starts_with("COM") || base.starts_with("LPT"));
    return !numbered;
}

std::filesystem::path DefaultBoardsDirectory() {
    const char* local = std::getenv("LOCALAPPDATA");
    if (local != nullptr && std::filesystem::path(local).is_absolute())
        return std::filesystem::path(local) / "vortan" / "boards";
    const char* profile = std::getenv("USERPROFILE");
    return std::filesystem::path(profile != nullptr ? profile : "") / "AppData" / "Local" /
           "vortan" / "boards";
}

} // namespace vortan::simboard
