#pragma once

// Registers a test-owned object as the class `clsid` of this process (CoRegisterClassObject,
// all server contexts, multiple use) until the end of the scope. `factory.createResult`
// makes creation fail with a chosen HRESULT.

#include <stdexcept>

#include "platform/com/Activation.h"
#include "support/FakeClassFactory.h"
#include "vortan/com/Guid.h"

namespace vortan::test {

class ClassRegistration final {
public:
    ClassRegistration(REFCLSID clsid, IUnknown* product) : factory(product) {
        if (FAILED(
                CoRegisterClassObject(clsid, &factory, CLSCTX_ALL, REGCLS_MULTIPLEUSE, &m_cookie)))
            throw std::runtime_error("class object not registered");
    }
    ~ClassRegistration() { CoRevokeClassObject(m_cookie); }
    ClassRegistration(const ClassRegistration&) = delete;
    ClassRegistration& operator=(const ClassRegistration&) = delete;

    FakeClassFactory factory;

private:
    DWORD m_cookie = 0;
};

} // namespace vortan::test
