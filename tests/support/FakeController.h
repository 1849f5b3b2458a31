#pragma once

// A scriptable controller access component for tests: it records every IController call,
// answers from its public fields, can deny IController or IConnectionPointContainer
// (E_NOINTERFACE), can have no connection point for the controller events (a chosen
// HRESULT) and refuse Advise (events.adviseResult). Owned by the test; Release never
// deletes it. Register it with ClassRegistration to have CoCreateInstance hand it out.
// With `answerConnectWith` set, a successful Connect fires that controller event later, from
// the message loop (a timer `answerDelayMs` long on a message window of its own), as a real
// component answers.

#include <optional>
#include <string>
#include <vector>

#include "platform/WinDef.h"
#include "support/FakeConnectionPoint.h"
#include "vortan/IController.h"
#include "vortan/com/ComObject.h"

namespace vortan::test {

class FakeController final : public com::ComObject<FakeController, com::Lifetime::OwnedElsewhere,
                                                   vortan::IController, IConnectionPointContainer> {
public:
    struct Entry {
        std::u16string name;
        LONG size = 0;
    };

    FakeController();
    FakeController(const FakeController&) = delete;
    FakeController& operator=(const FakeController&) = delete;
    ~FakeController();

    void* FindInterface(REFIID iid) noexcept;
    HRESULT GetTypeInfoCount(UINT* count) override { return NoTypeInfo(count); }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo** info) override { return NoTypeInfo(info); }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return DISP_E_MEMBERNOTFOUND;
    }

    HRESULT Connect(BSTR name, BSTR options) override;
    HRESULT GetConnectionName(BSTR* name) override;
    HRESULT Disconnect() override {
        calls.push_back("Disconnect");
        return disconnectResult;
    }
    HRESULT GetErrorInfo(vortan::ControllerErrorInfo* info) override {
        return Answer("GetErrorInfo", S_OK, info, errorInfo);
    }
    HRESULT UpdateInfo(LONG, SHORT* status) override {
        return Answer("UpdateInfo", S_OK, status, SHORT{0});
    }
    HRESULT IsConnected(VARIANT_BOOL* value) override {
        return Answer("IsConnected", isConnectedResult, value, connected);
    }
    HRESULT HasFileDirectory(VARIANT_BOOL* readable) override {
        return Answer("HasFileDirectory", hasFileDirectoryResult, readable, directoryReadable);
    }
    HRESULT GetMemoryInfo(vortan::MemoryInfo* info) override {
        return Answer("GetMemoryInfo", getMemoryInfoResult, info, memoryInfo);
    }
    HRESULT GetFileEntry(LONG index, vortan::FileEntryInfo* entry, SHORT* status) override;

    HRESULT EnumConnectionPoints(IEnumConnectionPoints** points) override {
        return NoTypeInfo(points);
    }
    HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

    // How many calls of `name` ("Connect", "IsConnected", ...) were recorded.
    int CallCount(const std::string& name) const;

    // Interfaces offered.
    bool offerController = true;
    bool offerContainer = true;
    HRESULT findConnectionPointResult = S_OK; // a failure: no connection point

    // Results of the methods (a failure is answered without touching the out-parameters).
    HRESULT connectResult = S_OK;
    HRESULT disconnectResult = S_OK;
    HRESULT isConnectedResult = S_OK;
    HRESULT hasFileDirectoryResult = S_OK;
    HRESULT getMemoryInfoResult = S_OK;
    HRESULT getFileEntryResult = S_OK;

    // Scripted answers.
    VARIANT_BOOL connected = VARIANT_FALSE;
    std::optional<std::u16string> connectionName; // nullopt: a null BSTR
    VARIANT_BOOL directoryReadable = VARIANT_TRUE;
    vortan::MemoryInfo memoryInfo;
    vortan::ControllerErrorInfo errorInfo;
    std::vector<Entry> entries; // GetFileEntry past the end: status -1

    // What was recorded.
    std::vector<std::string> calls; // method names in call order
    std::u16string connectName;     // arguments of the last Connect
    std::u16string connectOptions;

    std::optional<DISPID> answerConnectWith;
    UINT answerDelayMs = 0;

    FakeConnectionPoint events;

private:
    // Records the call; on success writes `value` to `out`.
    template <typename T>
    HRESULT Answer(const char* name, HRESULT result, T* out, const T& value) {
        calls.push_back(name);
        if (SUCCEEDED(result))
            *out = value;
        return result;
    }

    HWND m_hAnswerWindow = nullptr;
};

} // namespace vortan::test
