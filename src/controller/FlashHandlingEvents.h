#pragma once

// The sink of the flash handling component's events (_IFlashHandlingEvents). Event n is sent
// to the owner's window as WM_FLASH_BASE + n (Notifications.h), so the window has handled it
// before the component's event call returns.
//
// Arguments (rgvarg[0] is the event's last argument):
//   1, 2     wParam: low 16 bits of rgvarg[0] as stored (VT_I2, VT_I4, VT_BOOL, VT_ERROR;
//            VT_EMPTY is 0), zero-extended; lParam 0.
//   3        wParam as for 1; lParam done * 100 / total with total = rgvarg[1] and
//            done = rgvarg[2] as 32-bit integers. A total below 1 sends nothing. The quotient
//            is truncated toward zero and not capped at 100; it is computed in 64 bits, so
//            it is exact where a 32-bit product would overflow, and saturates to the 32-bit
//            range (only possible for a total of 1 with a huge done).
//   6, 9, 17 wParam rgvarg[0], lParam rgvarg[1], as 32-bit integers (sign-extended).
//   others   wParam 0, lParam 0; arguments are not looked at.
// "As 32-bit integers" means VariantChangeType to VT_I4, so VT_I2 or a numeric VT_BSTR work.
// Too few arguments: DISP_E_BADPARAMCOUNT; a value that cannot be taken as described
// (a string for 1 to 3's 16-bit value, a non-numeric text, out of range):
// DISP_E_TYPEMISMATCH. In both cases nothing is sent.

#include "controller/EventSink.h"

class CFlashHandlingEvents final : public vortan::controller::EventSink {
public:
    // `owner` is not owned and may be null (then nothing is sent).
    explicit CFlashHandlingEvents(vortan::controller::INotifyTarget* owner) noexcept;
    ~CFlashHandlingEvents() = default;

    // Without an owner: S_FALSE; without a window: S_OK; both send nothing and do not look
    // at the arguments. Else the argument check's failure, or S_OK once sent.
    HRESULT OnEvent(DISPID dispid, const DISPPARAMS* params) override;
};
