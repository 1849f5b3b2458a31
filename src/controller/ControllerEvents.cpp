#include "controller/ControllerEvents.h"

#include "controller/Notifications.h"
#include "platform/win/WinUser.h"
#include "vortan/ContractIds.h"

namespace {

using namespace vortan::controller;

// The notification of an answer event, or 0 for the events that are ignored.
UINT NotificationOf(DISPID dispid) {
    switch (dispid) {
    case vortan::DISPID_CONTROLLER_CONNECTED:
        return WM_CONTROLLER_CONNECTED;
    case vortan::DISPID_CONTROLLER_DISCONNECTED:
        return WM_CONTROLLER_DISCONNECTED;
    case vortan::DISPID_CONTROLLER_CONNECT_FAILED:
        return WM_CONTROLLER_CONNECT_FAILED;
    case vortan::DISPID_CONTROLLER_CONNECTION_LOST:
        return WM_CONTROLLER_CONNECTION_LOST;
    default:
        return 0;
    }
}

} // namespace

CControllerEvents::CControllerEvents(vortan::controller::INotifyTarget* owner) noexcept
    : EventSink(owner, vortan::DIID_IControllerEvents, vortan::DISPID_CONTROLLER_LAST) {}

HRESULT CControllerEvents::OnEvent(DISPID dispid, const DISPPARAMS*) {
    const UINT message = NotificationOf(dispid);
    if (message == 0 || Owner() == nullptr)
        return S_OK;
    const HWND window = Owner()->NotifyWindow();
    if (window != nullptr)
        PostMessage(window, message, 0, 0); // a vanished window just misses the answer
    return S_OK;
}
