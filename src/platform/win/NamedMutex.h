#pragma once

#include <string>

#include "platform/win/KernelObject.h"

namespace vortan::win {

// A mutex other processes can see by its name: a lock file `<runtime dir>/<name>.lock` held
// with flock. The lock belongs to the open file, so a second handle, in this process or
// another, cannot take it while the first lives, and a holder that crashes frees it.
class NamedMutex final : public KernelObject {
public:
    // Opens (creates) the lock file; Valid() tells whether that worked (errno kept).
    explicit NamedMutex(const std::string& name);
    ~NamedMutex() override;

    bool Valid() const noexcept { return m_fd >= 0; }
    // Takes the lock without waiting; true if this object holds it afterwards.
    bool TryAcquire() noexcept;
    void Release() noexcept;
    bool Owned() const noexcept { return m_owned; }

    DWORD Wait(DWORD milliseconds) override;

    // In $XDG_RUNTIME_DIR, or, when it is unset or empty, in the private directory
    // /tmp/vortan-<uid> (made 0700; refused unless it is ours and closed to others).
    static std::string LockPath(const std::string& name);

private:
    int m_fd = -1;
    bool m_owned = false;
};

} // namespace vortan::win
