// The plug-in's entry point: one class object per class of the contract.

#include "components/simboard/ControllerAccess.h"
#include "components/simboard/FlashHandling.h"
#include "vortan/com/StaticClassFactory.h"

namespace {

vortan::com::StaticClassFactory g_controllerClass(&vortan::simboard::ControllerAccess::Create);
vortan::com::StaticClassFactory g_flashClass(&vortan::simboard::FlashHandling::Create);

} // namespace

VORTAN_PLUGIN_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (clsid == vortan::CLSID_ControllerAccess)
        return g_controllerClass.QueryInterface(iid, object);
    if (clsid == vortan::CLSID_FlashHandling)
        return g_flashClass.QueryInterface(iid, object);
    return CLASS_E_CLASSNOTAVAILABLE;
}
