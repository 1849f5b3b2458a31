#include "vortan/com/StaticClassFactory.h"

namespace vortan::com {

HRESULT StaticClassFactory::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
        *object = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT StaticClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (outer != nullptr)
        return CLASS_E_NOAGGREGATION;
    try {
        return m_create(iid, object);
    } catch (...) {
        return E_OUTOFMEMORY; // a creator must not throw; allocation is what can
    }
}

} // namespace vortan::com
