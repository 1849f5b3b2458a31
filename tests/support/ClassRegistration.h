#pragma once

// Registers a test-owned object as the class `clsid` of this process (CoRegisterClassObject,
// all server contexts, multiple use) until the end of the scope. `factory.createResult`
// makes creation fail with a chosen HRESULT.

#include "platform/com/Guid.h"
#include "support/FakeClassFactory.h"

namespace vortan::test {

class ClassRegistration final {
public:
    ClassRegistration(REFCLSID clsid, IUnknown* product);
    ~ClassRegistration();
    ClassRegistration(const ClassRegistration&) = delete;
    ClassRegistration& operator=(const ClassRegistration&) = delete;

    FakeClassFactory factory;

private:
    DWORD m_cookie = 0;
};

} // namespace vortan::test
