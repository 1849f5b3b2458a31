#include "support/ClassRegistration.h"

#include "platform/com/Activation.h"

#include <stdexcept>

namespace vortan::test {

ClassRegistration::ClassRegistration(REFCLSID clsid, IUnknown* product) : factory(product) {
    if (FAILED(CoRegisterClassObject(clsid, &factory, CLSCTX_ALL, REGCLS_MULTIPLEUSE, &m_cookie)))
        throw std::runtime_error("class object not registered");
}

ClassRegistration::~ClassRegistration() {
    CoRevokeClassObject(m_cookie);
}

} // namespace vortan::test
