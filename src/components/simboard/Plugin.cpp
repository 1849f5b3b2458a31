// The plug-in's entry point: one class object per class of the contract.

#include "components/simboard/ControllerAccess.h"
#include "components/simboard/FlashHandling.h"
#include "components/simboard/ModuleLock.h"
#include "vortan/com/StaticClassFactory.h"

namespace {

using vortan::com::StaticClassFactory;

// The runtime's class object, with the client's locks counted as uses of the plug-in.
class ClassObject final : public IClassFactory {
public:
    explicit ClassObject(StaticClassFactory::Creator create) noexcept : m_factory(create) {}
    ClassObject(const ClassObject&) = delete;
    ClassObject& operator=(const ClassObject&) = delete;

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
    // Static: lives as long as the library.
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }
    HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        return m_factory.CreateInstance(outer, iid, object);
    }
    HRESULT LockServer(BOOL lock) override {
        if (lock)
            ++vortan::simboard::g_moduleLocks;
        else
            --vortan::simboard::g_moduleLocks;
        return S_OK;
    }

private:
    StaticClassFactory m_factory;
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
