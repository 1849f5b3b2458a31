#include "platform/ui/Transcript.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace vortan::ui {

bool Transcript::Append(std::string_view line) const {
    if (!Enabled())
        return false;
    const int fd = ::open(m_strPath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    std::string whole(line);
    whole += '\n';
    ssize_t written = -1;
    do {
        written = ::write(fd, whole.data(), whole.size());
    } while (written < 0 && errno == EINTR);
    ::close(fd);
    return written == static_cast<ssize_t>(whole.size());
}

} // namespace vortan::ui
