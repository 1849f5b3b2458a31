#include "controller/FlashObserverAccess.h"

#include "controller/ComponentCreation.h"
#include "controller/EventSubscription.h"
#include "vortan/ContractIds.h"

CFlashObserverAccess::CFlashObserverAccess(HWND hWnd) : m_hNotifyWnd(hWnd) {
    Initialize(); // the observer exists also when the subscription failed
}

CFlashObserverAccess::~CFlashObserverAccess() {
    m_pComponent = nullptr;
    Uninitialize();
}

HRESULT CFlashObserverAccess::Initialize() {
    if (m_pEvents)
        return S_OK;
    m_pEvents = std::make_unique<CFlashHandlingEvents>(this);
    m_pComponent = vortan::controller::CreateComponentAs<vortan::IFlashHandling>(
        vortan::CLSID_FlashHandling, vortan::IID_IFlashHandling);
    if (!m_pComponent) {
        // The same text as the controller's: both are "the component's pointer".
        vortan::controller::ShowSubscriptionFailure("IControllerPtr fails");
        return S_OK;
    }
    return m_subscription.Subscribe(*m_pComponent, vortan::DIID_IFlashHandlingEvents, *m_pEvents);
}

HRESULT CFlashObserverAccess::Uninitialize() noexcept {
    m_subscription.Reset();
    m_pEvents.reset();
    return S_OK;
}
