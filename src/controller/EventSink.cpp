#include "controller/EventSink.h"

namespace vortan::controller {

HRESULT EventSink::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == m_eventIid) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG EventSink::AddRef() {
    return ++m_dwRef;
}

ULONG EventSink::Release() {
    // The owner deletes the sink after unsubscribing it, whatever the count says; a stray
    // extra Release must not wrap around.
    if (m_dwRef > 0)
        --m_dwRef;
    return m_dwRef;
}

HRESULT EventSink::GetTypeInfoCount(UINT* count) {
    if (count != nullptr)
        *count = 0;
    return E_NOTIMPL;
}

HRESULT EventSink::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info != nullptr)
        *info = nullptr;
    return E_NOTIMPL;
}

HRESULT EventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* dispids) {
    for (UINT i = 0; dispids != nullptr && i < count; ++i)
        dispids[i] = DISPID_UNKNOWN;
    return E_NOTIMPL;
}

HRESULT EventSink::Invoke(DISPID dispid, REFIID iid, LCID, WORD, DISPPARAMS* params, VARIANT*,
                          EXCEPINFO*, UINT*) {
    if (!(iid == IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    if (dispid < 1 || dispid > m_lastDispid)
        return DISP_E_MEMBERNOTFOUND;
    try {
        const HRESULT hr = OnEvent(dispid, params);
        return FAILED(hr) ? hr : S_OK;
    } catch (...) {
        // A window handler that throws must not unwind into the component.
        return DISP_E_EXCEPTION;
    }
}

} // namespace vortan::controller
