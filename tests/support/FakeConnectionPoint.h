#pragma once

// A connection point for fake components: counts Unadvise, can refuse Advise with a
// chosen HRESULT, and fires events to its sinks. It counts its references on its container,
// as a real one does, and is owned by that container (the test's fake).

#include <functional>
#include <span>
#include <vector>

#include "vortan/com/ComPtr.h"
#include "vortan/com/ConnectionPoint.h"
#include "vortan/com/IConnectionPoint.h"
#include "vortan/com/IConnectionPointContainer.h"
#include "vortan/com/IDispatch.h"

namespace vortan::test {

// What the fakes answer for type information and enumerations they do not offer: E_NOTIMPL,
// the out-parameter cleared.
template <typename T>
HRESULT NoTypeInfo(T* out) {
    if (out != nullptr)
        *out = T{};
    return E_NOTIMPL;
}

class FakeConnectionPoint final : public IConnectionPoint {
public:
    FakeConnectionPoint(IConnectionPointContainer& container, REFIID eventIid)
        : m_container(container), m_eventIid(eventIid) {}
    FakeConnectionPoint(const FakeConnectionPoint&) = delete;
    FakeConnectionPoint& operator=(const FakeConnectionPoint&) = delete;
    ~FakeConnectionPoint() = default;

    HRESULT QueryInterface(REFIID iid, void** object) override;
    ULONG AddRef() override { return m_container.AddRef(); }
    ULONG Release() override { return m_container.Release(); }

    HRESULT GetConnectionInterface(IID* iid) override { return NoTypeInfo(iid); }
    HRESULT GetConnectionPointContainer(IConnectionPointContainer** cpc) override {
        return NoTypeInfo(cpc);
    }
    // Keeps one reference on the sink's IDispatch; cookies count from 1.
    HRESULT Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT Unadvise(DWORD cookie) override;
    HRESULT EnumConnections(IEnumConnections** connections) override {
        return NoTypeInfo(connections);
    }

    // Invokes `dispid` on every sink with `args` in declared order (reversed into rgvarg);
    // returns the last sink's answer (S_OK without sinks).
    HRESULT Fire(DISPID dispid, std::span<const VARIANT> args = {});

    // FindConnectionPoint of the container: this point for its event interface.
    HRESULT Find(REFIID iid, IConnectionPoint** point) {
        return com::FindSingleConnectionPoint(*this, m_eventIid, iid, point);
    }

    std::size_t SinkCount() const noexcept { return m_sinks.size(); }

    HRESULT adviseResult = S_OK; // a failure refuses Advise
    int unadviseCalls = 0;
    std::function<void()> onUnadvise; // runs at the start of each Unadvise

private:
    struct Sink {
        DWORD cookie = 0;
        com::ComPtr<IDispatch> dispatch;
    };

    IConnectionPointContainer& m_container;
    IID m_eventIid;
    std::vector<Sink> m_sinks;
    DWORD m_nextCookie = 1;
};

} // namespace vortan::test
