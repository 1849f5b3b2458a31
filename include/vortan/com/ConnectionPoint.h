#pragma once

// The connection point a component embeds for each of its event interfaces. It keeps the
// advised sinks (one reference each) and fires events to them through IDispatch::Invoke.
// It lives inside the component and counts its references on the component, so a client's
// reference to the connection point keeps the whole component alive.

#include <cstdint>
#include <span>
#include <vector>

#include "vortan/com/ComPtr.h"
#include "vortan/com/IConnectionPoint.h"
#include "vortan/com/IConnectionPointContainer.h"
#include "vortan/com/IDispatch.h"

namespace vortan::com {

class BroadcastGroup;

// FindConnectionPoint of a container whose component has one event interface, `eventIid`,
// served by `point`: that point (one reference) for its IID, CONNECT_E_NOCONNECTION for any
// other, E_POINTER for a null out-parameter.
HRESULT FindSingleConnectionPoint(IConnectionPoint& point, REFIID eventIid, REFIID iid,
                                  IConnectionPoint** out);

class ConnectionPoint final : public IConnectionPoint {
public:
    // `container` is the component that embeds this object. With a `group`, the component's
    // class can fire to the sinks of all its instances at once (BroadcastGroup).
    ConnectionPoint(IConnectionPointContainer& container, REFIID eventIid,
                    BroadcastGroup* group = nullptr);
    ConnectionPoint(const ConnectionPoint&) = delete;
    ConnectionPoint& operator=(const ConnectionPoint&) = delete;
    // Releases the sinks still advised and leaves the group.
    ~ConnectionPoint();

    HRESULT QueryInterface(REFIID iid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT GetConnectionInterface(IID* iid) override;
    HRESULT GetConnectionPointContainer(IConnectionPointContainer** cpc) override;
    // The sink must offer the event interface or IDispatch (else CONNECT_E_CANNOTCONNECT);
    // cookies count from 1.
    HRESULT Advise(IUnknown* sink, DWORD* cookie) override;
    // An unknown cookie: CONNECT_E_NOCONNECTION.
    HRESULT Unadvise(DWORD cookie) override;
    HRESULT EnumConnections(IEnumConnections** connections) override; // E_NOTIMPL

    // Invokes `dispid` (DISPATCH_METHOD, IID_NULL) on every sink advised when the call starts
    // and still advised when its turn comes; a sink may unadvise itself or others meanwhile.
    // `args` are in declared order, first argument first; each sink gets its own copy,
    // reversed into rgvarg. The sinks' answers are ignored. S_OK; E_OUTOFMEMORY, or
    // DISP_E_BADVARTYPE for an argument of a type a VARIANT cannot carry here.
    HRESULT Fire(DISPID dispid, std::span<const VARIANT> args = {}) noexcept;

    // The container's FindConnectionPoint for a component with this one event interface:
    // this connection point for its IID, CONNECT_E_NOCONNECTION for any other.
    HRESULT Find(REFIID iid, IConnectionPoint** point) {
        return FindSingleConnectionPoint(*this, m_eventIid, iid, point);
    }

    REFIID EventIid() const noexcept { return m_eventIid; }
    std::size_t SinkCount() const noexcept { return m_sinks.size(); }

private:
    friend class BroadcastGroup;

    struct Sink {
        DWORD cookie = 0;
        ComPtr<IDispatch> dispatch;
    };

    bool IsAdvised(DWORD cookie) const noexcept;

    IConnectionPointContainer& m_container;
    IID m_eventIid;
    BroadcastGroup* m_group = nullptr;
    std::vector<Sink> m_sinks;
    DWORD m_nextCookie = 1;
};

} // namespace vortan::com
