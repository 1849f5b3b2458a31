#pragma once

// A scriptable flash handling component for tests: it records its operations, can deny
// IFlashHandling (E_NOINTERFACE) and refuse Advise (events.adviseResult). `onOperation` runs
// inside each operation. `script` plays a component: its n-th step answers the n-th operation
// by firing its events through the connection point (to every advised sink, as the real
// component does), then returning its result and outcome; operations past the script answer
// S_OK and `outcome`. Owned by the test; Release never deletes it.

#include <functional>
#include <string>
#include <vector>

#include "support/FakeConnectionPoint.h"
#include "vortan/IFlashHandling.h"
#include "vortan/com/ComObject.h"

namespace vortan::test {

class FakeFlashHandling final
    : public com::ComObject<FakeFlashHandling, com::Lifetime::OwnedElsewhere,
                            vortan::IFlashHandling, IConnectionPointContainer> {
public:
    FakeFlashHandling();
    FakeFlashHandling(const FakeFlashHandling&) = delete;
    FakeFlashHandling& operator=(const FakeFlashHandling&) = delete;
    ~FakeFlashHandling() = default;

    void* FindInterface(REFIID iid) noexcept;
    HRESULT GetTypeInfoCount(UINT* count) override { return NoTypeInfo(count); }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo** info) override { return NoTypeInfo(info); }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return DISP_E_MEMBERNOTFOUND;
    }

    HRESULT FormatMemory(vortan::IController* controller, SHORT selector, VARIANT_BOOL option,
                         VARIANT_BOOL* outcome) override;
    HRESULT ReadFromMemory(vortan::IController* controller, BSTR localPath, BSTR memoryName,
                           VARIANT_BOOL option, VARIANT_BOOL* outcome) override;
    HRESULT WriteToMemory(vortan::IController* controller, BSTR localPath, BSTR memoryName,
                          VARIANT_BOOL option, VARIANT_BOOL* outcome) override;
    HRESULT RemoveFromMemory(vortan::IController* controller, BSTR memoryName, VARIANT_BOOL option,
                             VARIANT_BOOL* outcome) override;

    HRESULT EnumConnectionPoints(IEnumConnectionPoints** points) override {
        return NoTypeInfo(points);
    }
    HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** point) override {
        return events.Find(iid, point);
    }

    struct Call {
        std::string method; // "FormatMemory", "ReadFromMemory", ...
        std::u16string localPath;
        std::u16string memoryName;
        VARIANT_BOOL option = 0;
        bool hadController = false;
    };

    struct Event {
        DISPID dispid = 0;
        std::vector<LONG> args; // declared order, sent as VT_I4
    };
    struct Step {
        std::vector<Event> events;
        HRESULT result = S_OK;
        VARIANT_BOOL outcome = VARIANT_TRUE;
    };

    bool offerFlashHandling = true;
    VARIANT_BOOL outcome = VARIANT_TRUE;
    std::function<void(const Call&)> onOperation;
    std::vector<Step> script;
    // Runs after each scripted event has been delivered: index of the operation, the event.
    std::function<void(std::size_t, const Event&)> afterEvent;

    std::vector<Call> calls;
    std::vector<SHORT> selectors; // of each FormatMemory
    FakeConnectionPoint events;

private:
    HRESULT Record(Call call, VARIANT_BOOL* outcome);
};

} // namespace vortan::test
