#include "BoardFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace example_board {
namespace {

// Closes its file descriptor, so that no early return leaks one.
class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { Close(); }
    int Get() const { return m_fd; }
    // 0, or errno: a failed close may be the first sign of a failed write.
    int Close() {
        const int fd = std::exchange(m_fd, -1);
        return fd < 0 || ::close(fd) == 0 ? 0 : errno;
    }

private:
    int m_fd;
};

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

std::filesystem::path BoardsRoot() {
    if (const char* boards = std::getenv("VORTAN_EXAMPLE_BOARDS"); boards && *boards)
        return boards;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return std::filesystem::path(runtime && *runtime ? runtime : "/tmp") / "vortan-example-boards";
}

bool IsPlainName(std::string_view name) {
    return !name.empty() && name.front() != '.' &&
           std::none_of(name.begin(), name.end(),
                        [](char c) { return c == '/' || static_cast<unsigned char>(c) < 0x20; });
}

std::vector<MemoryFile> ListFiles(const std::filesystem::path& board) {
    std::vector<MemoryFile> files;
    for (const auto& entry : std::filesystem::directory_iterator(board)) {
        std::string name = entry.path().filename().string();
        if (IsPlainName(name) && entry.is_regular_file())
            files.push_back({std::move(name), entry.file_size()});
    }
    std::sort(files.begin(), files.end(),
              [](const MemoryFile& a, const MemoryFile& b) { return a.name < b.name; });
    return files;
}

CopyError CopyAtomically(const std::filesystem::path& from, const std::filesystem::path& to,
                         const Progress& progress) {
    Fd source(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (source.Get() < 0 || ::fstat(source.Get(), &st) != 0)
        return {errno, true};
    if (!S_ISREG(st.st_mode))
        return {EISDIR, true};

    // Beside the target, so that rename replaces it in one step; the leading dot keeps it out
    // of listings, the process id apart from a copy to the same name in another process.
    const std::filesystem::path temp =
        to.parent_path() / ("." + to.filename().string() + "." + std::to_string(::getpid()));
    Fd target(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (target.Get() < 0)
        return {errno, false};

    CopyError error;
    const auto total = static_cast<std::uint64_t>(st.st_size);
    std::uint64_t done = 0;
    std::vector<char> chunk(64 * 1024);
    for (;;) {
        const ssize_t n = ::read(source.Get(), chunk.data(), chunk.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            error = {errno, true};
        else if (n > 0 && !WriteAll(target.Get(), chunk.data(), static_cast<std::size_t>(n)))
            error = {errno, false};
        if (n <= 0 || error.sysError != 0)
            break;
        done += static_cast<std::uint64_t>(n);
        progress(done, total);
    }
    if (error.sysError == 0 && ::fsync(target.Get()) != 0)
        error = {errno, false};
    if (const int closed = target.Close(); error.sysError == 0 && closed != 0)
        error = {closed, false};
    if (error.sysError == 0 && ::rename(temp.c_str(), to.c_str()) != 0)
        error = {errno, false};
    if (error.sysError != 0)
        ::unlink(temp.c_str());
    return error;
}

} // namespace example_board
