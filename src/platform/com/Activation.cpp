#include "platform/com/Activation.h"

#include <new>

#include "platform/com/ClassObjectTable.h"
#include "platform/com/ClassRegistry.h"
#include "platform/com/PluginCache.h"
#include "vortan/com/IClassFactory.h"

using vortan::com::ClassObjectTable;
using vortan::com::ClassRegistry;
using vortan::com::ComPtr;
using vortan::com::PluginCache;

HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void* /*reserved*/, REFIID iid,
                         void** object) {
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if ((context & CLSCTX_ALL) == 0)
        return E_INVALIDARG;
    try {
        if (ComPtr<IUnknown> registered = ClassObjectTable::Instance().Find(clsid, context))
            return registered->QueryInterface(iid, object);
        if ((context & (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER)) == 0)
            return REGDB_E_CLASSNOTREG;
        const auto plugin = ClassRegistry::LookUpClass(clsid);
        if (!plugin)
            return REGDB_E_CLASSNOTREG;
        return PluginCache::Instance().GetClassObject(*plugin, clsid, iid, object);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        *object = nullptr;
        return E_UNEXPECTED;
    }
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid,
                         void** object) {
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (outer != nullptr)
        return CLASS_E_NOAGGREGATION;
    ComPtr<IClassFactory> factory;
    HRESULT hr = CoGetClassObject(clsid, context, nullptr, IID_IClassFactory, factory.OutVoid());
    if (FAILED(hr))
        return hr;
    if (!factory)
        return E_UNEXPECTED;
    try {
        hr = factory->CreateInstance(nullptr, iid, object);
    } catch (...) {
        hr = E_UNEXPECTED; // a factory must not throw; it must not break the caller either
    }
    if (FAILED(hr))
        *object = nullptr;
    return hr;
}

HRESULT CoRegisterClassObject(REFCLSID clsid, IUnknown* classObject, DWORD context, DWORD flags,
                              DWORD* cookie) {
    return ClassObjectTable::Instance().Register(clsid, classObject, context, flags, cookie);
}

HRESULT CoRevokeClassObject(DWORD cookie) {
    return ClassObjectTable::Instance().Revoke(cookie);
}

HRESULT OleRun(IUnknown* object) {
    return object == nullptr ? E_INVALIDARG : S_OK;
}
