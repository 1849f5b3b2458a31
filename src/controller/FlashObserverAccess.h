#pragma once

// Subscribes a window to the flash handling component's events. The observer creates an
// instance of the component of its own, only to advise a CFlashHandlingEvents sink on it;
// the component delivers the events of the operations run on other instances to it as well,
// and the sink sends each as a flash notification to the window.
//
// The constructor is the one place in this library where an exception leaves on purpose:
// when the component cannot be created, run or asked for IFlashHandling (other than
// E_NOINTERFACE), the _com_error of that step leaves the constructor with the failed HRESULT
// and IID_IFlashHandling, and no observer exists. Its creator (the engine) catches it.

#include <memory>

#include "controller/EventSubscription.h"
#include "controller/FlashHandlingEvents.h"
#include "controller/INotifyTarget.h"
#include "vortan/IFlashHandling.h"
#include "vortan/com/ComPtr.h"

class CFlashObserverAccess final : public vortan::controller::INotifyTarget {
public:
    // Stores the window and runs Initialize, whose result is not passed on: the observer
    // exists whether or not the subscription succeeded. Raises the creation failure (above).
    explicit CFlashObserverAccess(HWND hWnd);
    CFlashObserverAccess(const CFlashObserverAccess&) = delete;
    CFlashObserverAccess& operator=(const CFlashObserverAccess&) = delete;
    // Releases the component first, then unsubscribes.
    ~CFlashObserverAccess();

    // Subscribes at most once: with a sink already made, S_OK at once. Shows the
    // application's standard box for each failure:
    //   no IFlashHandling pointer: "IControllerPtr fails"; S_OK
    //   no IConnectionPointContainer: "QueryInterface fails"; its HRESULT
    //   no connection point: "FindConnectionPoint fails"; its HRESULT
    //   Advise refused: "Advise fails"; its HRESULT
    // A creation failure other than E_NOINTERFACE is raised as _com_error.
    HRESULT Initialize();
    // Unadvises (only if a connection point was obtained), releases the connection point and
    // the container and deletes the sink; the component stays. Returns 0.
    HRESULT Uninitialize() noexcept;

    HWND NotifyWindow() const noexcept override { return m_hNotifyWnd; }

private:
    vortan::com::ComPtr<vortan::IFlashHandling> m_pComponent;
    std::unique_ptr<CFlashHandlingEvents> m_pEvents;
    // After the sink: unadvised before the sink goes.
    vortan::controller::EventSubscription m_subscription;
    HWND m_hNotifyWnd = nullptr;
};
