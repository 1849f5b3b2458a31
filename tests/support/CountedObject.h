#pragma once

// A minimal IUnknown that only counts references, for tests of the owners of references
// (ComPtr, VARIANT, registrations). It is owned by the test, never deleted by Release.

#include "vortan/com/IUnknown.h"

namespace vortan::test {

class CountedObject final : public IUnknown {
public:
    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr)
            return E_POINTER;
        if (iid == IID_IUnknown) {
            *object = static_cast<IUnknown*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override { return --m_refs; }

    ULONG RefCount() const noexcept { return m_refs; }

private:
    ULONG m_refs = 0;
};

} // namespace vortan::test
