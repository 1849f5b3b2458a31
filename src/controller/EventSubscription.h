#pragma once

// One event sink advised on a component's connection point, as CCtrlAccess and
// CFlashObserverAccess hold it: the component's container, the connection point of the event
// interface and the advise cookie. It is unadvised and released on Reset or when it goes.

#include "vortan/com/ComPtr.h"
#include "vortan/com/IConnectionPoint.h"
#include "vortan/com/IConnectionPointContainer.h"

namespace vortan::controller {

class EventSubscription final {
public:
    EventSubscription() = default;
    ~EventSubscription() { Reset(); }
    EventSubscription(const EventSubscription&) = delete;
    EventSubscription& operator=(const EventSubscription&) = delete;

    // Asks `component` for its container ("QueryInterface fails"), the connection point of
    // `eventIid` ("FindConnectionPoint fails"), and advises `sink` ("Advise fails"), showing
    // the application's standard box for the step that failed. What was obtained stays held
    // also on failure. Returns the failed step's HRESULT or S_OK.
    HRESULT Subscribe(IUnknown& component, REFIID eventIid, IUnknown& sink);
    // Unadvises (result ignored) if a connection point is held, then releases both.
    void Reset() noexcept;

private:
    com::ComPtr<IConnectionPointContainer> m_pConnPtContainer;
    com::ComPtr<IConnectionPoint> m_pConnPt;
    DWORD m_dwCookie = 0; // valid while m_pConnPt is set
};

// The application's standard box (application title, OK button).
void ShowSubscriptionFailure(const char* text) noexcept;

} // namespace vortan::controller
