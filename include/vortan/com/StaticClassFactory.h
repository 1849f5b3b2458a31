#pragma once

// The class object a plug-in hands out from DllGetClassObject: one static object per class,
// creating instances with the class's own creation function. It lives as long as the library,
// which stays loaded once used, so its reference count never frees it.

#include "vortan/com/IClassFactory.h"

namespace vortan::com {

class StaticClassFactory final : public IClassFactory {
public:
    // Creates one instance and answers `iid` on it (the instance's own reference is dropped).
    using Creator = HRESULT (*)(REFIID iid, void** object);

    explicit StaticClassFactory(Creator create) noexcept : m_create(create) {}
    StaticClassFactory(const StaticClassFactory&) = delete;
    StaticClassFactory& operator=(const StaticClassFactory&) = delete;

    HRESULT QueryInterface(REFIID iid, void** object) override;
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }

    // Aggregation is refused.
    HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
    HRESULT LockServer(BOOL) override { return S_OK; }

private:
    Creator m_create;
};

} // namespace vortan::com
