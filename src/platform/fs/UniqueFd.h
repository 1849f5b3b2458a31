#pragma once

// The one owner of a POSIX file descriptor: closed on destruction, moved, never copied.

#include <utility>

namespace vortan::fs {

class UniqueFd final {
public:
    UniqueFd() noexcept = default;
    explicit UniqueFd(int fd) noexcept : m_fd(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        UniqueFd(std::move(other)).Swap(*this);
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { Reset(); }

    int Get() const noexcept { return m_fd; }
    explicit operator bool() const noexcept { return m_fd >= 0; }
    void Reset() noexcept;
    // Closes and reports close's errno (0 on success): a failed close can mean lost data.
    int Close() noexcept;
    void Swap(UniqueFd& other) noexcept { std::swap(m_fd, other.m_fd); }

private:
    int m_fd = -1;
};

// Opens a regular file for reading; an empty descriptor for anything else. Pipes and devices
// are refused, as they may never end, and the open does not block on a pipe without writer.
UniqueFd OpenRegularFile(const char* path);

} // namespace vortan::fs
