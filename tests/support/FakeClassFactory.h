#pragma once

// A class factory for in-process registration (CoRegisterClassObject) that hands out one
// object owned by the test and counts what it was asked. `createResult` injects a failure.

#include "vortan/com/ComObject.h"
#include "vortan/com/IClassFactory.h"

namespace vortan::test {

class FakeClassFactory final
    : public com::ComObject<FakeClassFactory, com::Lifetime::OwnedElsewhere, IClassFactory> {
public:
    explicit FakeClassFactory(IUnknown* product) : m_product(product) {}
    ~FakeClassFactory() = default;

    void* FindInterface(REFIID iid) noexcept {
        return iid == IID_IUnknown || iid == IID_IClassFactory ? static_cast<IClassFactory*>(this)
                                                               : nullptr;
    }

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

    int created = 0;
    HRESULT createResult = S_OK;

private:
    IUnknown* m_product;
};

} // namespace vortan::test
