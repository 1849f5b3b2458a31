#include "controller/FlashHandlingEvents.h"

#include <cstdint>
#include <limits>
#include <optional>

#include "controller/Notifications.h"
#include "platform/win/WinUser.h"
#include "vortan/ContractIds.h"
#include "vortan/com/UniqueVariant.h"

using vortan::com::UniqueVariant;

namespace {

// The event's arguments; a null DISPPARAMS or array counts as none.
class Arguments final {
public:
    explicit Arguments(const DISPPARAMS* params) noexcept
        : m_params(params != nullptr && params->rgvarg != nullptr ? params : nullptr) {}

    UINT Count() const noexcept { return m_params != nullptr ? m_params->cArgs : 0; }

    // rgvarg[index] copied into a local variant, which owns the copy until the caller is done.
    std::optional<UniqueVariant> Copy(UINT index) const noexcept {
        UniqueVariant copy;
        if (FAILED(copy.CopyFrom(m_params->rgvarg[index])))
            return std::nullopt;
        return copy;
    }

private:
    const DISPPARAMS* m_params;
};

// The low 16 bits of the value as stored; only scalar kinds have such a value.
std::optional<WORD> Low16AsStored(const VARIANT& value) {
    switch (value.vt) {
    case VT_EMPTY:
        return WORD{0};
    case VT_I2:
        return static_cast<WORD>(value.iVal);
    case VT_BOOL:
        return static_cast<WORD>(value.boolVal);
    case VT_I4:
        return static_cast<WORD>(static_cast<DWORD>(value.lVal) & 0xFFFFu);
    case VT_ERROR:
        return static_cast<WORD>(static_cast<DWORD>(value.scode) & 0xFFFFu);
    default:
        return std::nullopt;
    }
}

std::optional<LONG> ToLong(UniqueVariant& value) {
    if (value.Type() != VT_I4 && FAILED(VariantChangeType(&value.Get(), &value.Get(), 0, VT_I4)))
        return std::nullopt;
    return value.Get().lVal;
}

// done * 100 / total, exact and clamped to the 32-bit range; total is at least 1.
LONG Percentage(LONG done, LONG total) {
    const std::int64_t quotient = static_cast<std::int64_t>(done) * 100 / total;
    if (quotient > std::numeric_limits<LONG>::max())
        return std::numeric_limits<LONG>::max();
    if (quotient < std::numeric_limits<LONG>::min())
        return std::numeric_limits<LONG>::min();
    return static_cast<LONG>(quotient);
}

struct Message {
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    bool send = true;
};

// Reads what event `dispid` sends; a failure when the arguments do not fit.
HRESULT BuildMessage(DISPID dispid, const Arguments& args, Message& message) {
    switch (dispid) {
    case vortan::DISPID_FLASH_FORMAT_BEGIN:
    case vortan::DISPID_FLASH_FORMAT_END:
    case vortan::DISPID_FLASH_FORMAT_PROGRESS: {
        const UINT needed = dispid == vortan::DISPID_FLASH_FORMAT_PROGRESS ? 3 : 1;
        if (args.Count() < needed)
            return DISP_E_BADPARAMCOUNT;
        const auto value = args.Copy(0);
        const auto low = value ? Low16AsStored(value->Get()) : std::nullopt;
        if (!low)
            return DISP_E_TYPEMISMATCH;
        message.wParam = *low;
        if (dispid != vortan::DISPID_FLASH_FORMAT_PROGRESS)
            return S_OK;
        auto totalArg = args.Copy(1);
        auto doneArg = args.Copy(2);
        const auto total = totalArg ? ToLong(*totalArg) : std::nullopt;
        const auto done = doneArg ? ToLong(*doneArg) : std::nullopt;
        if (!total || !done)
            return DISP_E_TYPEMISMATCH;
        if (*total < 1) {
            message.send = false;
            return S_OK;
        }
        message.lParam = Percentage(*done, *total);
        return S_OK;
    }
    case vortan::DISPID_FLASH_WRITE_PROGRESS:
    case vortan::DISPID_FLASH_READ_PROGRESS:
    case vortan::DISPID_FLASH_REMOVE_PROGRESS: {
        if (args.Count() < 2)
            return DISP_E_BADPARAMCOUNT;
        auto firstArg = args.Copy(0);
        auto secondArg = args.Copy(1);
        const auto first = firstArg ? ToLong(*firstArg) : std::nullopt;
        const auto second = secondArg ? ToLong(*secondArg) : std::nullopt;
        if (!first || !second)
            return DISP_E_TYPEMISMATCH;
        // Sign-extended as the platform widens a LONG into a WPARAM.
        message.wParam = static_cast<WPARAM>(static_cast<INT_PTR>(*first));
        message.lParam = static_cast<LPARAM>(*second);
        return S_OK;
    }
    default:
        return S_OK;
    }
}

} // namespace

CFlashHandlingEvents::CFlashHandlingEvents(vortan::controller::INotifyTarget* owner) noexcept
    : EventSink(owner, vortan::DIID_IFlashHandlingEvents, vortan::DISPID_FLASH_LAST) {}

HRESULT CFlashHandlingEvents::OnEvent(DISPID dispid, const DISPPARAMS* params) {
    if (Owner() == nullptr)
        return S_FALSE;
    const HWND window = Owner()->NotifyWindow();
    if (window == nullptr)
        return S_OK;
    Message message;
    const HRESULT hr = BuildMessage(dispid, Arguments(params), message);
    if (FAILED(hr))
        return hr;
    if (message.send)
        SendMessage(window, vortan::controller::WM_FLASH_BASE + static_cast<UINT>(dispid),
                    message.wParam, message.lParam);
    return S_OK;
}
