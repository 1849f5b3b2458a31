#include "platform/fs/UniqueFd.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vortan::fs {

void UniqueFd::Reset() noexcept {
    if (m_fd >= 0)
        ::close(std::exchange(m_fd, -1));
}

int UniqueFd::Close() noexcept {
    if (m_fd < 0)
        return 0;
    return ::close(std::exchange(m_fd, -1)) == 0 ? 0 : errno;
}

UniqueFd OpenRegularFile(const char* path) {
    UniqueFd fd(::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat st {};
    if (!fd || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode))
        return UniqueFd();
    return fd;
}

} // namespace vortan::fs
