#pragma once

#include "platform/WinDef.h"
#include "platform/win/Window.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

namespace vortan::win {

// The process's windows by handle. Handle values are never reused, so a handle kept past
// DestroyWindow is recognised as stale instead of naming a newer window. The lock is there for
// PostMessage from other threads; the windows themselves belong to the window thread.
class WindowTable final {
public:
    static WindowTable& Instance();

    // Creates a window entry with a fresh handle.
    std::shared_ptr<Window> Create(HWND parent, WindowKind kind, int id, DWORD style);
    std::shared_ptr<Window> Find(HWND hwnd) const;
    bool Contains(HWND hwnd) const;
    bool Remove(HWND hwnd);
    // The window or its nearest ancestor that has an observer; null if none has.
    IWindowObserver* ObserverFor(HWND hwnd) const;

private:
    mutable std::mutex m_mutex;
    std::map<std::uintptr_t, std::shared_ptr<Window>> m_windows;
    std::uintptr_t m_next = 0x10000;
};

} // namespace vortan::win
