#include "support/FakeConnectionPoint.h"

#include <algorithm>

namespace vortan::test {

HRESULT FakeConnectionPoint::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IConnectionPoint) {
        *object = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT FakeConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (cookie == nullptr || sink == nullptr)
        return E_POINTER;
    *cookie = 0;
    if (FAILED(adviseResult))
        return adviseResult;
    com::ComPtr<IDispatch> dispatch;
    if (FAILED(sink->QueryInterface(m_eventIid, dispatch.OutVoid())))
        return CONNECT_E_CANNOTCONNECT;
    m_sinks.push_back(Sink{m_nextCookie, std::move(dispatch)});
    *cookie = m_nextCookie++;
    return S_OK;
}

HRESULT FakeConnectionPoint::Unadvise(DWORD cookie) {
    ++unadviseCalls;
    if (onUnadvise)
        onUnadvise();
    const auto it = std::find_if(m_sinks.begin(), m_sinks.end(),
                                 [cookie](const Sink& s) { return s.cookie == cookie; });
    if (it == m_sinks.end())
        return CONNECT_E_NOCONNECTION;
    com::ComPtr<IDispatch> released = std::move(it->dispatch);
    m_sinks.erase(it);
    return S_OK;
}

HRESULT FakeConnectionPoint::Fire(DISPID dispid, std::span<const VARIANT> args) {
    HRESULT last = S_OK;
    const std::vector<Sink> sinks = m_sinks; // a sink may unadvise while it is called
    for (const Sink& sink : sinks) {
        std::vector<VARIANT> reversed(args.rbegin(), args.rend()); // each sink its own array
        DISPPARAMS params;
        params.rgvarg = reversed.empty() ? nullptr : reversed.data();
        params.cArgs = static_cast<UINT>(reversed.size());
        last = sink.dispatch->Invoke(dispid, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr,
                                     nullptr, nullptr);
    }
    return last;
}

} // namespace vortan::test
