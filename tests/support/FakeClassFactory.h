#pragma once

// A class factory for in-process registration (CoRegisterClassObject) that hands out one
// object owned by the test and counts what it was asked. `createResult` injects a failure.

#include "vortan/com/IClassFactory.h"

namespace vortan::test {

class FakeClassFactory final : public IClassFactory {
public:
    explicit FakeClassFactory(IUnknown* product) : m_product(product) {}
    FakeClassFactory(const FakeClassFactory&) = delete;
    FakeClassFactory& operator=(const FakeClassFactory&) = delete;
    ~FakeClassFactory() = default;

    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *object = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override { return --m_refs; }

    HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        ++created;
        if (outer != nullptr)
            return CLASS_E_NOAGGREGATION;
        if (FAILED(createResult)) {
            *object = nullptr;
            return createResult;
        }
        return m_product->QueryInterface(iid, object);
    }
    HRESULT LockServer(BOOL) override { return S_OK; }

    ULONG RefCount() const noexcept { return m_refs; }

    int created = 0;
    HRESULT createResult = S_OK;

private:
    IUnknown* m_product;
    ULONG m_refs = 0;
};

} // namespace vortan::test
