#pragma once

// The IUnknown half every component class, event sink and test double writes the same way:
// a reference count and QueryInterface over the interfaces the class names. The class
// derives from ComObject<Itself, lifetime, Interfaces...> instead of from the interfaces and
// answers which of its interfaces an IID asks for:
//
//   void* FindInterface(REFIID iid) noexcept;   // the interface pointer, or null
//
// QueryInterface then checks the out-parameter and counts the reference it hands out.

#include "vortan/WinTypes.h"
#include "vortan/com/HResult.h"
#include "vortan/com/IUnknown.h"

namespace vortan::com {

enum class Lifetime {
    // Created on the heap with one reference; deleted by the release of the last one.
    DeleteOnLastRelease,
    // Owned by whoever made it (a test, an enclosing object): references are only counted.
    OwnedElsewhere,
};

template <typename Derived, Lifetime lifetime, typename... Interfaces>
class ComObject : public Interfaces... {
public:
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr)
            return E_POINTER;
        *object = static_cast<Derived*>(this)->FindInterface(iid);
        if (*object == nullptr)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override {
        const ULONG left = --m_refs;
        if constexpr (lifetime == Lifetime::DeleteOnLastRelease) {
            if (left == 0)
                delete static_cast<Derived*>(this);
        }
        return left;
    }

    ULONG RefCount() const noexcept { return m_refs; }

protected:
    ComObject() = default;
    ~ComObject() = default;

private:
    ULONG m_refs = lifetime == Lifetime::DeleteOnLastRelease ? 1 : 0;
};

} // namespace vortan::com
