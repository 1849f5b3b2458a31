#include "components/simboard/UniqueFd.h"

#include <cerrno>
#include <unistd.h>

namespace vortan::simboard {

void UniqueFd::Reset() noexcept {
    if (m_fd >= 0)
        ::close(std::exchange(m_fd, -1));
}

int UniqueFd::Close() noexcept {
    if (m_fd < 0)
        return 0;
    return ::close(std::exchange(m_fd, -1)) == 0 ? 0 : errno;
}

} // namespace vortan::simboard
