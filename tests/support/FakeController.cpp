#include "support/FakeController.h"

#include "platform/com/SysString.h"
#include "platform/win/WinUser.h"
#include "platform/win/WindowModel.h"
#include "vortan/ContractIds.h"

#include <algorithm>

namespace vortan::test {

namespace {
constexpr UINT_PTR kAnswerTimer = 1;
}

FakeController::FakeController() : events(*this, vortan::DIID_IControllerEvents) {
    m_hAnswerWindow =
        win::CreateMessageWindow([this](HWND hwnd, UINT message, WPARAM wParam, LPARAM) -> LRESULT {
            if (message == WM_TIMER && wParam == kAnswerTimer) {
                KillTimer(hwnd, kAnswerTimer);
                if (answerConnectWith) {
                    ++answersFired;
                    events.Fire(*answerConnectWith);
                }
            }
            return 0;
        });
}

FakeController::~FakeController() {
    DestroyWindow(m_hAnswerWindow);
}

HRESULT FakeController::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch)
        *object = static_cast<vortan::IController*>(this);
    else if (iid == vortan::IID_IController && offerController)
        *object = static_cast<vortan::IController*>(this);
    else if (iid == IID_IConnectionPointContainer && offerContainer)
        *object = static_cast<IConnectionPointContainer*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

HRESULT FakeController::GetTypeInfoCount(UINT* count) {
    if (count != nullptr)
        *count = 0;
    return E_NOTIMPL;
}

HRESULT FakeController::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info != nullptr)
        *info = nullptr;
    return E_NOTIMPL;
}

HRESULT FakeController::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

HRESULT FakeController::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                               UINT*) {
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT FakeController::Connect(BSTR name, BSTR options) {
    calls.push_back("Connect");
    connectName = name != nullptr ? std::u16string(name, SysStringLen(name)) : u"";
    connectOptionsWasNull = options == nullptr;
    connectOptions = options != nullptr ? std::u16string(options, SysStringLen(options)) : u"";
    if (SUCCEEDED(connectResult) && answerConnectWith)
        SetTimer(m_hAnswerWindow, kAnswerTimer, answerDelayMs, nullptr);
    return connectResult;
}

HRESULT FakeController::GetConnectionName(BSTR* name) {
    calls.push_back("GetConnectionName");
    if (FAILED(getConnectionNameResult))
        return getConnectionNameResult;
    *name = connectionName ? SysAllocStringLen(connectionName->data(),
                                               static_cast<UINT>(connectionName->size()))
                           : nullptr;
    return getConnectionNameResult;
}

HRESULT FakeController::Disconnect() {
    calls.push_back("Disconnect");
    return disconnectResult;
}

HRESULT FakeController::GetErrorInfo(vortan::ControllerErrorInfo* info) {
    calls.push_back("GetErrorInfo");
    if (FAILED(getErrorInfoResult))
        return getErrorInfoResult;
    *info = errorInfo;
    return getErrorInfoResult;
}

HRESULT FakeController::UpdateInfo(LONG what, SHORT* status) {
    calls.push_back("UpdateInfo");
    updateInfoWhat = what;
    if (FAILED(updateInfoResult))
        return updateInfoResult;
    *status = 0;
    return updateInfoResult;
}

HRESULT FakeController::IsConnected(VARIANT_BOOL* value) {
    calls.push_back("IsConnected");
    if (FAILED(isConnectedResult))
        return isConnectedResult;
    *value = connected;
    return isConnectedResult;
}

HRESULT FakeController::HasFileDirectory(VARIANT_BOOL* readable) {
    calls.push_back("HasFileDirectory");
    if (FAILED(hasFileDirectoryResult))
        return hasFileDirectoryResult;
    *readable = directoryReadable;
    return hasFileDirectoryResult;
}

HRESULT FakeController::GetMemoryInfo(vortan::MemoryInfo* info) {
    calls.push_back("GetMemoryInfo");
    if (FAILED(getMemoryInfoResult))
        return getMemoryInfoResult;
    *info = memoryInfo;
    return getMemoryInfoResult;
}

HRESULT FakeController::GetFileEntry(LONG index, vortan::FileEntryInfo* entry, SHORT* status) {
    calls.push_back("GetFileEntry");
    if (FAILED(getFileEntryResult))
        return getFileEntryResult;
    if (index < 0 || static_cast<std::size_t>(index) >= entries.size()) {
        *status = -1;
        return getFileEntryResult;
    }
    const Entry& source = entries[static_cast<std::size_t>(index)];
    entry->bstrName = SysAllocStringLen(source.name.data(), static_cast<UINT>(source.name.size()));
    entry->lSize = source.size;
    *status = 0;
    return getFileEntryResult;
}

HRESULT FakeController::EnumConnectionPoints(IEnumConnectionPoints** points) {
    if (points != nullptr)
        *points = nullptr;
    return E_NOTIMPL;
}

HRESULT FakeController::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
    if (point == nullptr)
        return E_POINTER;
    *point = nullptr;
    if (FAILED(findConnectionPointResult))
        return findConnectionPointResult;
    if (!(iid == vortan::DIID_IControllerEvents))
        return CONNECT_E_NOCONNECTION;
    return events.QueryInterface(IID_IConnectionPoint, reinterpret_cast<void**>(point));
}

int FakeController::CallCount(const std::string& name) const {
    return static_cast<int>(std::count(calls.begin(), calls.end(), name));
}

} // namespace vortan::test
