// The plug-in's entry point: one class object per class of the contract.

#include "components/simboard/ControllerAccess.h"
#include "components/simboard/FlashHandling.h"

namespace {

using Creator = HRESULT (*)(REFIID, void**);

// Lives as long as the library, which stays loaded once used, so counting never frees it.
class ClassObject final : public IClassFactory {
public:
    explicit ClassObject(Creator create) : m_create(create) {}

    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *object = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }

    HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        if (outer != nullptr)
            return CLASS_E_NOAGGREGATION;
        return m_create(iid, object);
    }
    HRESULT LockServer(BOOL) override { return S_OK; }

private:
    Creator m_create;
};

ClassObject g_controllerClass(&vortan::simboard::ControllerAccess::Create);
ClassObject g_flashClass(&vortan::simboard::FlashHandling::Create);

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
