// A plug-in that loads and has an entry point, but provides no class at all.

#include "vortan/ComponentContract.h"

VORTAN_PLUGIN_EXPORT HRESULT DllGetClassObject(REFCLSID, REFIID, void** object) {
    if (object != nullptr)
        *object = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}
