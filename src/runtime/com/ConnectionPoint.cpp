#include "vortan/com/ConnectionPoint.h"

#include <algorithm>
#include <limits>

#include "vortan/com/BroadcastGroup.h"

namespace vortan::com {
namespace {

// One sink's private copy of the arguments, in rgvarg order (last argument first).
class ArgumentCopy final {
public:
    explicit ArgumentCopy(std::span<const VARIANT> args) : m_args(args.size()) {
        for (std::size_t i = 0; i < args.size(); ++i) {
            const HRESULT hr = VariantCopy(&m_args[args.size() - 1 - i],
                                           const_cast<VARIANT*>(&args[i])); // read only
            if (FAILED(hr))
                m_result = hr;
        }
    }
    ArgumentCopy(const ArgumentCopy&) = delete;
    ArgumentCopy& operator=(const ArgumentCopy&) = delete;
    ~ArgumentCopy() {
        for (VARIANT& v : m_args)
            VariantClear(&v);
    }

    HRESULT Result() const noexcept { return m_result; }
    DISPPARAMS Params() noexcept {
        DISPPARAMS params{};
        params.rgvarg = m_args.empty() ? nullptr : m_args.data();
        params.cArgs = static_cast<UINT>(m_args.size());
        return params;
    }

private:
    std::vector<VARIANT> m_args;
    HRESULT m_result = S_OK;
};

} // namespace

ConnectionPoint::ConnectionPoint(IConnectionPointContainer& container, REFIID eventIid,
                                 BroadcastGroup* group)
    : m_container(container), m_eventIid(eventIid), m_group(group) {
    if (m_group != nullptr)
        m_group->Join(*this);
}

ConnectionPoint::~ConnectionPoint() {
    if (m_group != nullptr)
        m_group->Leave(*this);
    // Sinks may call back into us while being released; detach the list first.
    std::vector<Sink> sinks = std::move(m_sinks);
    m_sinks.clear();
}

HRESULT ConnectionPoint::QueryInterface(REFIID iid, void** object) {
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

ULONG ConnectionPoint::AddRef() {
    return m_container.AddRef();
}

ULONG ConnectionPoint::Release() {
    return m_container.Release();
}

HRESULT ConnectionPoint::GetConnectionInterface(IID* iid) {
    if (iid == nullptr)
        return E_POINTER;
    *iid = m_eventIid;
    return S_OK;
}

HRESULT ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** cpc) {
    if (cpc == nullptr)
        return E_POINTER;
    m_container.AddRef();
    *cpc = &m_container;
    return S_OK;
}

HRESULT ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (cookie == nullptr)
        return E_POINTER;
    *cookie = 0;
    if (sink == nullptr)
        return E_POINTER;
    if (m_nextCookie == std::numeric_limits<DWORD>::max())
        return CONNECT_E_ADVISELIMIT;
    ComPtr<IDispatch> dispatch;
    if (FAILED(sink->QueryInterface(m_eventIid, dispatch.OutVoid())) &&
        FAILED(sink->QueryInterface(IID_IDispatch, dispatch.OutVoid())))
        return CONNECT_E_CANNOTCONNECT;
    if (!dispatch)
        return CONNECT_E_CANNOTCONNECT;
    try {
        m_sinks.push_back(Sink{m_nextCookie, std::move(dispatch)});
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    *cookie = m_nextCookie++;
    return S_OK;
}

HRESULT ConnectionPoint::Unadvise(DWORD cookie) {
    auto it = std::find_if(m_sinks.begin(), m_sinks.end(),
                           [cookie](const Sink& s) { return s.cookie == cookie; });
    if (it == m_sinks.end())
        return CONNECT_E_NOCONNECTION;
    // Take the sink out before releasing it: its Release may re-enter this object.
    ComPtr<IDispatch> released = std::move(it->dispatch);
    m_sinks.erase(it);
    released.Reset();
    return S_OK;
}

HRESULT ConnectionPoint::EnumConnections(IEnumConnections** connections) {
    if (connections != nullptr)
        *connections = nullptr;
    return E_NOTIMPL;
}

bool ConnectionPoint::IsAdvised(DWORD cookie) const noexcept {
    return std::any_of(m_sinks.begin(), m_sinks.end(),
                       [cookie](const Sink& s) { return s.cookie == cookie; });
}

HRESULT ConnectionPoint::Fire(DISPID dispid, std::span<const VARIANT> args) noexcept {
    try {
        // A sink's handler may release the last outside reference to the component.
        ComPtr<IConnectionPointContainer> keepAlive(&m_container);
        const std::vector<Sink> snapshot = m_sinks;
        for (const Sink& sink : snapshot) {
            if (!IsAdvised(sink.cookie))
                continue;
            ArgumentCopy copy(args);
            if (FAILED(copy.Result()))
                return copy.Result();
            DISPPARAMS params = copy.Params();
            try {
                sink.dispatch->Invoke(dispid, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr,
                                      nullptr, nullptr);
            } catch (...) {
                // A sink must not throw; if one does, the others still get the event.
            }
        }
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT FindSingleConnectionPoint(IConnectionPoint& point, REFIID eventIid, REFIID iid,
                                  IConnectionPoint** out) {
    if (out == nullptr)
        return E_POINTER;
    *out = nullptr;
    if (!(iid == eventIid))
        return CONNECT_E_NOCONNECTION;
    return point.QueryInterface(IID_IConnectionPoint, reinterpret_cast<void**>(out));
}

} // namespace vortan::com
