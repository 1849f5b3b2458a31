// The plug-in's entry point: VORTAN loads the library, looks up DllGetClassObject (the only
// symbol it exports) and asks it for the class object of each component class.

#include "ExampleController.h"
#include "ExampleFlash.h"

namespace {

// Static class objects: they live as long as the library, which stays loaded once used.
vortan::com::StaticClassFactory g_controllerClass(&example_board::ExampleController::Create);
vortan::com::StaticClassFactory g_flashClass(&example_board::ExampleFlash::Create);

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
