// A minimal flash handling plug-in built the way a board owner builds one: from the public
// contract header and the platform library only. WriteToMemory reports one item through the
// events; the other operations answer that nothing succeeded.

#include "platform/com/StaticClassFactory.h"
#include "vortan/ComponentContract.h"

#include <new>

using vortan::com::BroadcastGroup;
using vortan::com::ComPtr;
using vortan::com::ConnectionPoint;

namespace {

// Every instance's connection point joins this group, so an operation on one instance is
// reported to the sinks of all of them.
BroadcastGroup g_flashEvents;

class FlashComponent final : public vortan::IFlashHandling, public IConnectionPointContainer {
public:
    FlashComponent() = default;
    FlashComponent(const FlashComponent&) = delete;
    FlashComponent& operator=(const FlashComponent&) = delete;
    ~FlashComponent() = default;

    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == vortan::IID_IFlashHandling)
            *object = static_cast<vortan::IFlashHandling*>(this);
        else if (iid == IID_IConnectionPointContainer)
            *object = static_cast<IConnectionPointContainer*>(this);
        else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override {
        const ULONG left = --m_refs;
        if (left == 0)
            delete this;
        return left;
    }

    HRESULT GetTypeInfoCount(UINT* count) override {
        if (count == nullptr)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return DISP_E_MEMBERNOTFOUND;
    }

    HRESULT FormatMemory(vortan::IController*, SHORT, VARIANT_BOOL,
                         VARIANT_BOOL* outcome) override {
        return Nothing(outcome);
    }
    HRESULT ReadFromMemory(vortan::IController*, BSTR, BSTR, VARIANT_BOOL,
                           VARIANT_BOOL* outcome) override {
        return Nothing(outcome);
    }
    HRESULT WriteToMemory(vortan::IController*, BSTR localPath, BSTR memoryName,
                          VARIANT_BOOL option, VARIANT_BOOL* outcome) override {
        if (outcome == nullptr)
            return E_POINTER;
        g_flashEvents.Fire(vortan::DISPID_FLASH_WRITE_BEGIN);
        // Declared order (bytes done, value): the sinks find the value in rgvarg[0].
        VARIANT args[2];
        args[0].vt = VT_I4;
        args[0].lVal = static_cast<LONG>(SysStringLen(localPath));
        args[1].vt = VT_I4;
        args[1].lVal = option;
        g_flashEvents.Fire(vortan::DISPID_FLASH_WRITE_PROGRESS, args);
        g_flashEvents.Fire(vortan::DISPID_FLASH_WRITE_END);
        *outcome = SysStringLen(memoryName) > 0 ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    HRESULT RemoveFromMemory(vortan::IController*, BSTR, VARIANT_BOOL,
                             VARIANT_BOOL* outcome) override {
        return Nothing(outcome);
    }

    HRESULT EnumConnectionPoints(IEnumConnectionPoints** points) override {
        if (points != nullptr)
            *points = nullptr;
        return E_NOTIMPL;
    }
    HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** point) override {
        if (point == nullptr)
            return E_POINTER;
        *point = nullptr;
        if (!(iid == vortan::DIID_IFlashHandlingEvents))
            return CONNECT_E_NOCONNECTION;
        return m_events.QueryInterface(IID_IConnectionPoint, reinterpret_cast<void**>(point));
    }

private:
    static HRESULT Nothing(VARIANT_BOOL* outcome) {
        if (outcome == nullptr)
            return E_POINTER;
        *outcome = VARIANT_FALSE;
        return S_OK;
    }

    ULONG m_refs = 1; // the creator's reference
    ConnectionPoint m_events{*this, vortan::DIID_IFlashHandlingEvents, &g_flashEvents};
};

HRESULT CreateFlashComponent(REFIID iid, void** object) {
    auto* component = new (std::nothrow) FlashComponent();
    if (component == nullptr)
        return E_OUTOFMEMORY;
    const auto owner = ComPtr<vortan::IFlashHandling>::Attach(component);
    return component->QueryInterface(iid, object);
}

vortan::com::StaticClassFactory g_factory(&CreateFlashComponent);

} // namespace

VORTAN_PLUGIN_EXPORT HRESULT DllGetClassObject(const CLSID& clsid, const IID& iid, void** object) {
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (!(clsid == vortan::CLSID_FlashHandling))
        return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(iid, object);
}
