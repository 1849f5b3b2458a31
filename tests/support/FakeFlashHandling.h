#pragma once

// A scriptable flash handling component for tests: it records its operations, answers
// `operationResult` and `outcome`, can deny IFlashHandling or IConnectionPointContainer
// (E_NOINTERFACE), can have no connection point for the flash events (a chosen HRESULT) and
// refuse Advise (events.adviseResult). `onOperation` runs inside each operation, e.g. to fire
// events. Owned by the test; Release never deletes it.

#include "support/FakeConnectionPoint.h"
#include "vortan/IFlashHandling.h"

#include <functional>
#include <string>
#include <vector>

namespace vortan::test {

class FakeFlashHandling final : public vortan::IFlashHandling, public IConnectionPointContainer {
public:
    FakeFlashHandling();
    FakeFlashHandling(const FakeFlashHandling&) = delete;
    FakeFlashHandling& operator=(const FakeFlashHandling&) = delete;
    ~FakeFlashHandling() = default;

    HRESULT QueryInterface(REFIID iid, void** object) override;
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override { return --m_refs; }
    HRESULT GetTypeInfoCount(UINT* count) override;
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;

    HRESULT FormatMemory(vortan::IController* controller, SHORT selector, VARIANT_BOOL option,
                         VARIANT_BOOL* outcome) override;
    HRESULT ReadFromMemory(vortan::IController* controller, BSTR localPath, BSTR memoryName,
                           VARIANT_BOOL option, VARIANT_BOOL* outcome) override;
    HRESULT WriteToMemory(vortan::IController* controller, BSTR localPath, BSTR memoryName,
                          VARIANT_BOOL option, VARIANT_BOOL* outcome) override;
    HRESULT RemoveFromMemory(vortan::IController* controller, BSTR memoryName, VARIANT_BOOL option,
                             VARIANT_BOOL* outcome) override;

    HRESULT EnumConnectionPoints(IEnumConnectionPoints** points) override;
    HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

    ULONG RefCount() const noexcept { return m_refs; }

    struct Call {
        std::string method; // "FormatMemory", "ReadFromMemory", ...
        std::u16string localPath;
        std::u16string memoryName;
        VARIANT_BOOL option = 0;
        bool hadController = false;
    };

    bool offerFlashHandling = true;
    bool offerContainer = true;
    HRESULT findConnectionPointResult = S_OK;
    HRESULT operationResult = S_OK;
    VARIANT_BOOL outcome = VARIANT_TRUE;
    std::function<void(const Call&)> onOperation;

    std::vector<Call> calls;
    FakeConnectionPoint events;

private:
    HRESULT Record(Call call, VARIANT_BOOL* outcome);

    ULONG m_refs = 0;
};

} // namespace vortan::test
