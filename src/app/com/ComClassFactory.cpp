#include "app/com/ComClassFactory.h"

#include <exception>
#include <utility>

namespace vortan::app {

ComClassFactory::ComClassFactory(Hooks hooks) : m_hooks(std::move(hooks)) {}

void* ComClassFactory::FindInterface(REFIID iid) noexcept {
    if (iid == IID_IUnknown || iid == IID_IClassFactory)
        return static_cast<IClassFactory*>(this);
    return nullptr;
}

HRESULT ComClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (outer != nullptr)
        return CLASS_E_NOAGGREGATION;
    // Tells the client's COM to start another server rather than wait on this one.
    if (m_bServed)
        return CO_E_SERVER_STOPPING;
    try {
        const HRESULT hr = m_hooks.create(iid, object);
        // An object that was made and refused `iid` is gone again: the next request may
        // still be served.
        if (SUCCEEDED(hr))
            m_bServed = true;
        return hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT ComClassFactory::LockServer(BOOL lock) {
    try {
        if (m_hooks.lock)
            m_hooks.lock(lock != FALSE);
        return S_OK;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

} // namespace vortan::app
