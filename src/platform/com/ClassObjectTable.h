#pragma once

// Class objects registered by running code (CoRegisterClassObject). Activation asks here
// before it looks at the class registry file, which is how tests put fakes in place of the
// real components and how a server offers its own class.

#include <mutex>
#include <vector>

#include "vortan/com/ComPtr.h"

namespace vortan::com {

class ClassObjectTable final {
public:
    // Process-wide, as registrations are on the platform.
    static ClassObjectTable& Instance();

    ClassObjectTable(const ClassObjectTable&) = delete;
    ClassObjectTable& operator=(const ClassObjectTable&) = delete;

    // Holds one reference on `classObject` until revoked; cookies count from 1.
    HRESULT Register(REFCLSID clsid, IUnknown* classObject, DWORD context, DWORD flags,
                     DWORD* cookie);
    // Unknown cookie: E_INVALIDARG.
    HRESULT Revoke(DWORD cookie);
    // The newest registration of `clsid` for any of the `context` bits; a single-use one is
    // handed out once only.
    ComPtr<IUnknown> Find(REFCLSID clsid, DWORD context);

private:
    ClassObjectTable() = default;
    ~ClassObjectTable() = default;

    struct Registration {
        DWORD cookie = 0;
        CLSID clsid;
        ComPtr<IUnknown> classObject;
        DWORD context = 0;
        bool singleUse = false;
        bool used = false;
    };

    std::mutex m_mutex;
    std::vector<Registration> m_registrations;
    DWORD m_nextCookie = 1;
};

} // namespace vortan::com
