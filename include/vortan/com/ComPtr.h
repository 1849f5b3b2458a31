#pragma once

// A counted interface pointer: each ComPtr that is not null holds one reference.

#include <cstddef>
#include <utility>

#include "vortan/com/ComError.h"
#include "vortan/com/IUnknown.h"

namespace vortan::com {

template <typename T>
class ComPtr final {
public:
    ComPtr() noexcept = default;
    ComPtr(std::nullptr_t) noexcept {}
    // Takes a new reference on `p`.
    explicit ComPtr(T* p) noexcept : m_p(p) { AddRefIfSet(); }
    ComPtr(const ComPtr& other) noexcept : m_p(other.m_p) { AddRefIfSet(); }
    ComPtr(ComPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    ~ComPtr() { Reset(); }

    ComPtr& operator=(const ComPtr& other) noexcept {
        ComPtr(other).Swap(*this);
        return *this;
    }
    ComPtr& operator=(ComPtr&& other) noexcept {
        ComPtr(std::move(other)).Swap(*this);
        return *this;
    }
    ComPtr& operator=(std::nullptr_t) noexcept {
        Reset();
        return *this;
    }

    // Adopts a reference the caller already owns (no AddRef).
    static ComPtr Attach(T* owned) noexcept {
        ComPtr p;
        p.m_p = owned;
        return p;
    }
    // Gives the reference to the caller (no Release).
    [[nodiscard]] T* Detach() noexcept { return std::exchange(m_p, nullptr); }

    void Reset() noexcept {
        if (T* old = std::exchange(m_p, nullptr))
            old->Release();
    }
    void Swap(ComPtr& other) noexcept { std::swap(m_p, other.m_p); }

    T* Get() const noexcept { return m_p; }
    T* operator->() const noexcept { return m_p; }
    T& operator*() const noexcept { return *m_p; }
    explicit operator bool() const noexcept { return m_p != nullptr; }

    // For call wrappers that raise: a null pointer raises E_POINTER for interface `iid`.
    T* Checked(REFIID iid = IID_NULL) const {
        if (m_p == nullptr)
            _com_issue_errorex(E_POINTER, nullptr, iid);
        return m_p;
    }

    // For out-parameters: releases what is held, then lets the callee store a new reference.
    T** ReleaseAndGetAddressOf() noexcept {
        Reset();
        return &m_p;
    }
    // The same slot typed for QueryInterface-style calls.
    void** OutVoid() noexcept { return reinterpret_cast<void**>(ReleaseAndGetAddressOf()); }

    // Asks for another interface; `target` is reset first and stays null on failure.
    template <typename U>
    HRESULT QueryInterface(REFIID iid, ComPtr<U>& target) const noexcept {
        target.Reset();
        if (m_p == nullptr)
            return E_POINTER;
        return m_p->QueryInterface(iid, target.OutVoid());
    }

    friend bool operator==(const ComPtr& a, const ComPtr& b) noexcept { return a.m_p == b.m_p; }
    friend bool operator==(const ComPtr& a, std::nullptr_t) noexcept { return a.m_p == nullptr; }

private:
    void AddRefIfSet() noexcept {
        if (m_p != nullptr)
            m_p->AddRef();
    }

    T* m_p = nullptr;
};

} // namespace vortan::com
