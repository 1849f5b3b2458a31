#pragma once

// The subscription half that CCtrlAccess and CFlashObserverAccess share: find the component's
// connection point for an event interface and advise a sink on it, showing the application's
// standard box for the step that failed; and the reverse.

#include "vortan/com/ComPtr.h"
#include "vortan/com/IConnectionPoint.h"
#include "vortan/com/IConnectionPointContainer.h"

namespace vortan::controller {

// Asks `component` for its container ("QueryInterface fails"), the connection point of
// `eventIid` ("FindConnectionPoint fails"), and advises `sink` ("Advise fails") into
// `cookie`. What was obtained stays held also on failure. Returns the failed step's HRESULT
// or S_OK.
HRESULT Subscribe(IUnknown& component, REFIID eventIid, IUnknown& sink,
                  com::ComPtr<IConnectionPointContainer>& container,
                  com::ComPtr<IConnectionPoint>& point, DWORD& cookie);

// Unadvises `cookie` (result ignored) if `point` is set, then releases the point and the
// container.
void Unsubscribe(com::ComPtr<IConnectionPointContainer>& container,
                 com::ComPtr<IConnectionPoint>& point, DWORD cookie) noexcept;

// The application's standard box (application title, OK button).
void ShowSubscriptionFailure(const char* text) noexcept;

} // namespace vortan::controller
