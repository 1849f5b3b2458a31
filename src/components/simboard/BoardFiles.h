#pragma once

// The file system under the simulated board: everything SimBoard does to files, one half per
// platform (BoardFiles.cpp: POSIX, BoardFilesWin32.cpp: Windows). Failures are errno values
// on both, the Windows half mapping its codes to the nearest one, so a board reports alike
// everywhere (GetErrorInfo, the tool's messages).

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace vortan::simboard {

struct MemoryFile {
    std::string name;
    std::uint64_t size = 0;
};

// What an item needs to know of an open file.
struct FileKind {
    bool regular = false;
    bool directory = false;
    std::uint64_t size = 0;
};

// The files of one board, locked while this object lives.
class BoardFiles final {
public:
    // An open file or lock: a descriptor, or a Windows handle; -1 for none on both.
    class OpenFile final {
    public:
        OpenFile() noexcept = default;
        explicit OpenFile(std::intptr_t native) noexcept : m_native(native) {}
        OpenFile(OpenFile&& other) noexcept : m_native(other.Release()) {}
        OpenFile& operator=(OpenFile&& other) noexcept;
        OpenFile(const OpenFile&) = delete;
        OpenFile& operator=(const OpenFile&) = delete;
        ~OpenFile() { Close(); }

        explicit operator bool() const noexcept { return m_native != kNone; }
        std::intptr_t Get() const noexcept { return m_native; }
        std::intptr_t Release() noexcept;
        // 0, or the errno of a close that failed (the data may not have reached the disk).
        int Close() noexcept;

    private:
        static constexpr std::intptr_t kNone = -1;
        std::intptr_t m_native = kNone;
    };

    // A temporary file beside its target, removed unless committed. Also after a crash: an
    // unnamed or delete-pending file vanishes by itself; a named one is swept later.
    class TempFile {
    public:
        virtual ~TempFile() = default;
        virtual const OpenFile& File() const noexcept = 0;
        // Flushes the data to the disk and puts the file in place of `target` in one step;
        // the old target stays whole until then. `mode`: the permissions where the platform
        // has them. 0 or the errno of the failed step.
        virtual int Commit(const std::string& target, std::uint32_t mode) = 0;

    protected:
        TempFile() = default;
        TempFile(const TempFile&) = delete;
        TempFile& operator=(const TempFile&) = delete;
    };

    // Moves an item's bytes from one file to another the platform's fastest way.
    class Copier final {
    public:
        struct Step {
            std::size_t bytes = 0;
            int error = 0;             // errno; EIO when the source ended before its size
            bool sourceFailed = false; // which side `error` belongs to
        };
        // Up to `bytes` from `source` to `target` at their positions.
        Step Next(const OpenFile& source, const OpenFile& target, std::size_t bytes);

    private:
        bool m_bInKernel = true;
        std::vector<char> m_buffer;
    };

    // Locks the board directory `dir` through its lock file: 0, EAGAIN/EWOULDBLOCK when
    // someone else holds it, else the errno.
    static int Lock(const std::filesystem::path& dir, std::unique_ptr<BoardFiles>& files);

    BoardFiles(const BoardFiles&) = delete;
    BoardFiles& operator=(const BoardFiles&) = delete;
    ~BoardFiles() = default;

    const std::filesystem::path& Directory() const noexcept { return m_dir; }
    std::filesystem::path FlashDir() const { return m_dir / "flash"; }

    // The regular files of flash/ whose names `keep` accepts, unsorted.
    int List(bool (*keep)(std::string_view name), std::vector<MemoryFile>& files) const;
    // 0 when flash/ can be listed.
    int CheckFlash() const;
    // Makes the names in flash/ durable (after a format).
    void SyncFlash() const;
    // Removes the write temporaries left in flash/ by a crash (names starting with `prefix`).
    void SweepFlash(std::string_view prefix) const;
    // A new temporary file in flash/ for a write.
    int MakeFlashTemp(std::string_view prefix, std::unique_ptr<TempFile>& temp) const;
    // The kind and size of a file in flash/, links not followed; ENOENT when there is none.
    int InspectFlashFile(const std::string& path, FileKind& kind) const;
    int RemoveFlashFile(const std::string& path) const;

    // Opens a file to copy from; `kind` tells what it is. `noLinks`: a link is no file (the
    // memory's files), else links are followed (local sources).
    static int OpenSource(const std::string& path, bool noLinks, OpenFile& file, FileKind& kind);
    // Whether the local file `path` may be replaced by a read: 0 when nothing, a link or a
    // writable regular file is there (`mode`: an existing file's permissions, to keep),
    // EISDIR for anything else, EACCES when it is read-only.
    int CheckLocalTarget(const std::string& path, std::uint32_t& mode);
    // A temporary file for a read into `dir`; the first one per directory and board sweeps
    // what crashed reads left there.
    int MakeLocalTemp(const std::string& dir, std::unique_ptr<TempFile>& temp);
    // The permissions of new files (0666 less the umask where there is one).
    std::uint32_t NewFileMode();

    // Deletes the board's directory and everything in it, the lock last; this object is
    // spent then.
    std::error_code RemoveBoard();

private:
    BoardFiles(std::filesystem::path dir, OpenFile lock)
        : m_dir(std::move(dir)), m_lock(std::move(lock)) {}

    std::filesystem::path m_dir;
    OpenFile m_lock;
    std::set<std::string> m_sweptDirs; // local directories whose stale reads are gone
    std::uint32_t m_newFileMode = 0;   // 0: not read yet
};

bool IsDirectory(const std::filesystem::path& path);
// 0, EEXIST, or the errno of the failure.
int MakeDirectory(const std::filesystem::path& path);
// The directory of `path` ("." for none); either separator of the platform counts.
std::string ParentOf(const std::string& path);
// Whether `path` ends in a separator (names a directory, not a file).
bool EndsInSeparator(std::string_view path);
// Whether the platform stores `name` under exactly that name in a directory (on Windows no
// '\\', ':', wildcard, device name or trailing dot or blank); true on POSIX.
bool IsNativeName(std::string_view name) noexcept;
// The default boards directory of the platform (VORTAN_BOARDS is handled by the caller).
std::filesystem::path DefaultBoardsDirectory();

} // namespace vortan::simboard
