#pragma once

// The sink of the controller access component's events (_IControllerEvents). The four answers
// to Connect become controller notifications (Notifications.h) posted to the owner's window, so
// they are handled later by the message loop (the engine's connection wait); all other events
// are ignored.

#include "controller/EventSink.h"

class CControllerEvents final : public vortan::controller::EventSink {
public:
    // `owner` is not owned and may be null (then nothing is posted).
    explicit CControllerEvents(vortan::controller::INotifyTarget* owner) noexcept;
    ~CControllerEvents() = default;

    // Events 1, 2, 16 and 17 post their notification to the owner's window, if there is one;
    // every accepted event answers S_OK.
    HRESULT OnEvent(DISPID dispid, const DISPPARAMS* params) override;
};
