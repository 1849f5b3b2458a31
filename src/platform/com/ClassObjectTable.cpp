#include "platform/com/ClassObjectTable.h"

#include <algorithm>

#include "platform/com/Activation.h"

namespace vortan::com {

ClassObjectTable& ClassObjectTable::Instance() {
    static ClassObjectTable table;
    return table;
}

HRESULT ClassObjectTable::Register(REFCLSID clsid, IUnknown* classObject, DWORD context,
                                   DWORD flags, DWORD* cookie) {
    if (cookie == nullptr)
        return E_POINTER;
    *cookie = 0;
    if (classObject == nullptr || (context & CLSCTX_ALL) == 0)
        return E_INVALIDARG;
    try {
        std::lock_guard lock(m_mutex);
        Registration r;
        r.cookie = m_nextCookie;
        r.clsid = clsid;
        r.classObject = ComPtr<IUnknown>(classObject);
        r.context = context;
        r.singleUse = (flags & (REGCLS_MULTIPLEUSE | REGCLS_MULTI_SEPARATE)) == 0;
        m_registrations.push_back(std::move(r));
        *cookie = m_nextCookie++;
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT ClassObjectTable::Revoke(DWORD cookie) {
    ComPtr<IUnknown> released; // released outside the lock: Release may re-enter
    {
        std::lock_guard lock(m_mutex);
        auto it = std::find_if(m_registrations.begin(), m_registrations.end(),
                               [cookie](const Registration& r) { return r.cookie == cookie; });
        if (it == m_registrations.end())
            return E_INVALIDARG;
        released = std::move(it->classObject);
        m_registrations.erase(it);
    }
    return S_OK;
}

ComPtr<IUnknown> ClassObjectTable::Find(REFCLSID clsid, DWORD context) {
    std::lock_guard lock(m_mutex);
    for (auto it = m_registrations.rbegin(); it != m_registrations.rend(); ++it) {
        if (!(it->clsid == clsid) || (it->context & context) == 0 || it->used)
            continue;
        if (it->singleUse)
            it->used = true;
        return it->classObject;
    }
    return nullptr;
}

} // namespace vortan::com
