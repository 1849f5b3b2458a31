#include "platform/win/WindowTable.h"

#include <algorithm>

namespace vortan::win {

namespace {

std::uintptr_t Key(HWND hwnd) {
    return reinterpret_cast<std::uintptr_t>(hwnd);
}

} // namespace

WindowTable& WindowTable::Instance() {
    static WindowTable table;
    return table;
}

std::shared_ptr<Window> WindowTable::Create(HWND parent, WindowKind kind, int id, DWORD style) {
    const std::lock_guard lock(m_mutex);
    const auto handle = reinterpret_cast<HWND>(m_next);
    m_next += 2;
    auto window = std::make_shared<Window>(handle, parent, kind, id, style);
    m_windows.emplace(Key(handle), window);
    return window;
}

std::shared_ptr<Window> WindowTable::Find(HWND hwnd) const {
    const std::lock_guard lock(m_mutex);
    const auto it = m_windows.find(Key(hwnd));
    return it == m_windows.end() ? nullptr : it->second;
}

bool WindowTable::Contains(HWND hwnd) const {
    const std::lock_guard lock(m_mutex);
    return m_windows.count(Key(hwnd)) != 0;
}

bool WindowTable::Remove(HWND hwnd) {
    std::shared_ptr<Window> removed;
    const std::lock_guard lock(m_mutex);
    const auto it = m_windows.find(Key(hwnd));
    if (it == m_windows.end())
        return false;
    removed = std::move(it->second);
    m_windows.erase(it);
    return true;
}

std::vector<IWindowObserver*> WindowTable::ObserversFor(HWND hwnd) const {
    const std::lock_guard lock(m_mutex);
    for (auto it = m_windows.find(Key(hwnd)); it != m_windows.end();
         it = m_windows.find(Key(it->second->Parent()))) {
        if (!it->second->Observers().empty())
            return it->second->Observers();
    }
    return {};
}

bool WindowTable::Observes(HWND hwnd, IWindowObserver* observer) const {
    const std::vector<IWindowObserver*> observers = ObserversFor(hwnd);
    return std::find(observers.begin(), observers.end(), observer) != observers.end();
}

} // namespace vortan::win
