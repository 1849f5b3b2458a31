#include "support/FakeFlashHandling.h"

#include "vortan/ContractIds.h"
#include "vortan/com/SysString.h"

namespace vortan::test {
namespace {

std::u16string Text(BSTR text) {
    return text != nullptr ? std::u16string(text, SysStringLen(text)) : std::u16string();
}

} // namespace

FakeFlashHandling::FakeFlashHandling() : events(*this, vortan::DIID_IFlashHandlingEvents) {}

void* FakeFlashHandling::FindInterface(REFIID iid) noexcept {
    if (iid == IID_IUnknown || iid == IID_IDispatch ||
        (iid == vortan::IID_IFlashHandling && offerFlashHandling))
        return static_cast<vortan::IFlashHandling*>(this);
    if (iid == IID_IConnectionPointContainer)
        return static_cast<IConnectionPointContainer*>(this);
    return nullptr;
}

HRESULT FakeFlashHandling::FormatMemory(vortan::IController* controller, SHORT selector,
                                        VARIANT_BOOL option, VARIANT_BOOL* result) {
    selectors.push_back(selector);
    return Record(Call{"FormatMemory", {}, {}, option, controller != nullptr}, result);
}

HRESULT FakeFlashHandling::ReadFromMemory(vortan::IController* controller, BSTR localPath,
                                          BSTR memoryName, VARIANT_BOOL option,
                                          VARIANT_BOOL* result) {
    return Record(
        Call{"ReadFromMemory", Text(localPath), Text(memoryName), option, controller != nullptr},
        result);
}

HRESULT FakeFlashHandling::WriteToMemory(vortan::IController* controller, BSTR localPath,
                                         BSTR memoryName, VARIANT_BOOL option,
                                         VARIANT_BOOL* result) {
    return Record(
        Call{"WriteToMemory", Text(localPath), Text(memoryName), option, controller != nullptr},
        result);
}

HRESULT FakeFlashHandling::RemoveFromMemory(vortan::IController* controller, BSTR memoryName,
                                            VARIANT_BOOL option, VARIANT_BOOL* result) {
    return Record(Call{"RemoveFromMemory", {}, Text(memoryName), option, controller != nullptr},
                  result);
}

HRESULT FakeFlashHandling::Record(Call call, VARIANT_BOOL* result) {
    calls.push_back(call);
    if (onOperation)
        onOperation(calls.back());
    const std::size_t index = calls.size() - 1;
    Step step{{}, S_OK, outcome}; // past the script
    if (index < script.size()) {
        step = script[index]; // a handler may change the script meanwhile
        for (const Event& event : step.events) {
            std::vector<VARIANT> args(event.args.size());
            for (std::size_t i = 0; i < args.size(); ++i) {
                args[i].vt = VT_I4;
                args[i].lVal = event.args[i];
            }
            events.Fire(event.dispid, args);
            if (afterEvent)
                afterEvent(index, event);
        }
    }
    if (FAILED(step.result))
        return step.result;
    if (result == nullptr)
        return E_POINTER;
    *result = step.outcome;
    return step.result;
}

} // namespace vortan::test
