#include "components/simboard/ServerRegistration.h"
#include "vortan/ContractIds.h"
#include "vortan/com/ClassRegistration.h"

namespace vortan::simboard {
namespace {

struct BoardClass {
    const CLSID& clsid;
    const char* description;
};

const BoardClass kClasses[] = {
    {CLSID_ControllerAccess, "VORTAN simulated board: controller access"},
    {CLSID_FlashHandling, "VORTAN simulated board: flash handling"},
};

} // namespace

HRESULT RegisterServer(const std::string& dll, std::string& where) {
    where = com::RegistryScopeName(com::RegistryScope::Machine);
    for (const BoardClass& boardClass : kClasses) {
        // Objects are called on the thread that made them, as the program does.
        const com::ClassRegistration registration{boardClass.clsid,
                                                  boardClass.description,
                                                  com::ServerKind::InProcess,
                                                  dll,
                                                  "Apartment",
                                                  ""};
        com::RegistryScope scope = com::RegistryScope::Machine;
        const HRESULT hr = com::WriteClassRegistration(registration, scope);
        where = com::RegistryScopeName(scope);
        if (FAILED(hr)) {
            UnregisterServer(); // both classes or neither
            return hr;
        }
    }
    return S_OK;
}

HRESULT UnregisterServer() {
    HRESULT result = S_OK;
    for (const BoardClass& boardClass : kClasses) {
        const HRESULT hr = com::RemoveClassRegistration(boardClass.clsid, "");
        if (SUCCEEDED(result))
            result = hr;
    }
    return result;
}

} // namespace vortan::simboard
