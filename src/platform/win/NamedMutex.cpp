#include "platform/win/NamedMutex.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "platform/win/WinBase.h"

namespace vortan::win {

namespace {

bool RuntimeDirSet() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return runtime != nullptr && *runtime != '\0';
}

std::string FallbackDir() {
    return "/tmp/vortan-" + std::to_string(::geteuid());
}

// The fallback directory lies in a directory everyone writes to: it is ours only if we own
// it, nobody else may enter it, and it is no link to somewhere else.
bool FallbackDirReady() {
    const std::string dir = FallbackDir();
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st {};
    if (::lstat(dir.c_str(), &st) != 0)
        return false;
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() || (st.st_mode & 077) != 0) {
        errno = EACCES;
        return false;
    }
    return true;
}

} // namespace

NamedMutex::NamedMutex(const std::string& name) {
    if (!RuntimeDirSet() && !FallbackDirReady())
        return;
    const std::string path = LockPath(name);
    // A link planted under the lock's name is not followed: the open fails instead.
    do {
        m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    } while (m_fd < 0 && errno == EINTR);
}

NamedMutex::~NamedMutex() {
    if (m_fd >= 0)
        ::close(m_fd); // drops the lock with the open file
}

bool NamedMutex::TryAcquire() noexcept {
    if (m_fd < 0)
        return false;
    if (m_owned)
        return true;
    int rc = 0;
    do {
        rc = ::flock(m_fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    m_owned = rc == 0;
    return m_owned;
}

void NamedMutex::Release() noexcept {
    if (m_fd >= 0 && m_owned)
        ::flock(m_fd, LOCK_UN);
    m_owned = false;
}

DWORD NamedMutex::Wait(DWORD milliseconds) {
    // flock has no timed form; poll, which is plenty for a lock held across a whole format.
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        if (TryAcquire())
            return WAIT_OBJECT_0;
        if (milliseconds != INFINITE && std::chrono::steady_clock::now() >= deadline)
            return WAIT_TIMEOUT;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

std::string NamedMutex::LockPath(const std::string& name) {
    std::string dir = RuntimeDirSet() ? std::getenv("XDG_RUNTIME_DIR") : FallbackDir();
    if (dir.back() != '/')
        dir += '/';
    return dir + name + ".lock";
}

} // namespace vortan::win
