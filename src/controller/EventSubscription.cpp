#include "controller/EventSubscription.h"

#include "platform/ui/MessageBox.h"

namespace vortan::controller {

HRESULT EventSubscription::Subscribe(IUnknown& component, REFIID eventIid, IUnknown& sink) {
    HRESULT hr =
        component.QueryInterface(IID_IConnectionPointContainer, m_pConnPtContainer.OutVoid());
    if (FAILED(hr) || !m_pConnPtContainer) {
        ShowSubscriptionFailure("QueryInterface fails");
        return FAILED(hr) ? hr : E_NOINTERFACE;
    }
    hr = m_pConnPtContainer->FindConnectionPoint(eventIid, m_pConnPt.ReleaseAndGetAddressOf());
    if (FAILED(hr) || !m_pConnPt) {
        m_pConnPt = nullptr;
        ShowSubscriptionFailure("FindConnectionPoint fails");
        return FAILED(hr) ? hr : E_POINTER;
    }
    m_dwCookie = 0;
    hr = m_pConnPt->Advise(&sink, &m_dwCookie);
    if (FAILED(hr)) {
        ShowSubscriptionFailure("Advise fails");
        return hr;
    }
    return S_OK;
}

void EventSubscription::Reset() noexcept {
    if (m_pConnPt) {
        m_pConnPt->Unadvise(m_dwCookie);
        m_pConnPt = nullptr;
    }
    m_pConnPtContainer = nullptr;
}

void ShowSubscriptionFailure(const char* text) noexcept {
    AfxMessageBox(text, MB_OK);
}

} // namespace vortan::controller
