#include "controller/Subscription.h"

#include "platform/ui/MessageBox.h"

namespace vortan::controller {

HRESULT Subscribe(IUnknown& component, REFIID eventIid, IUnknown& sink,
                  com::ComPtr<IConnectionPointContainer>& container,
                  com::ComPtr<IConnectionPoint>& point, DWORD& cookie) {
    HRESULT hr = component.QueryInterface(IID_IConnectionPointContainer, container.OutVoid());
    if (FAILED(hr) || !container) {
        ShowSubscriptionFailure("QueryInterface fails");
        return FAILED(hr) ? hr : E_NOINTERFACE;
    }
    hr = container->FindConnectionPoint(eventIid, point.ReleaseAndGetAddressOf());
    if (FAILED(hr) || !point) {
        point = nullptr;
        ShowSubscriptionFailure("FindConnectionPoint fails");
        return FAILED(hr) ? hr : E_POINTER;
    }
    cookie = 0;
    hr = point->Advise(&sink, &cookie);
    if (FAILED(hr)) {
        ShowSubscriptionFailure("Advise fails");
        return hr;
    }
    return S_OK;
}

void Unsubscribe(com::ComPtr<IConnectionPointContainer>& container,
                 com::ComPtr<IConnectionPoint>& point, DWORD cookie) noexcept {
    if (point) {
        point->Unadvise(cookie);
        point = nullptr;
    }
    container = nullptr;
}

void ShowSubscriptionFailure(const char* text) noexcept {
    AfxMessageBox(text, MB_OK);
}

} // namespace vortan::controller
