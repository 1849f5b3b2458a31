#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/WinDef.h"
#include "platform/win/Window.h"

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
    // The observers of the window or, if it has none, of its nearest ancestor that has some.
    std::vector<IWindowObserver*> ObserversFor(HWND hwnd) const;
    // Tells each observer of `hwnd` (as ObserversFor finds them) about a change. One that an
    // earlier one detached meanwhile is not told.
    template <typename Change>
    void Notify(HWND hwnd, Change&& change) const {
        const std::vector<IWindowObserver*> observers = ObserversFor(hwnd);
        for (std::size_t i = 0; i < observers.size(); ++i) {
            if (i == 0 || Observes(hwnd, observers[i]))
                change(*observers[i]);
        }
    }

private:
    bool Observes(HWND hwnd, IWindowObserver* observer) const;

    mutable std::mutex m_mutex;
    std::map<std::uintptr_t, std::shared_ptr<Window>> m_windows;
    std::uintptr_t m_next = 0x10000;
};

} // namespace vortan::win
