#include "support/FakeController.h"

#include <algorithm>

#include "platform/win/WinUser.h"
#include "platform/win/WindowModel.h"
#include "vortan/ContractIds.h"
#include "vortan/com/SysString.h"

namespace vortan::test {

namespace {
constexpr UINT_PTR kAnswerTimer = 1;
}

FakeController::FakeController() : events(*this, vortan::DIID_IControllerEvents) {
    m_hAnswerWindow =
        win::CreateMessageWindow([this](HWND hwnd, UINT message, WPARAM wParam, LPARAM) -> LRESULT {
            if (message == WM_TIMER && wParam == kAnswerTimer) {
                KillTimer(hwnd, kAnswerTimer);
                if (answerConnectWith)
                    events.Fire(*answerConnectWith);
            }
            return 0;
        });
}

FakeController::~FakeController() {
    DestroyWindow(m_hAnswerWindow);
}

void* FakeController::FindInterface(REFIID iid) noexcept {
    if (iid == IID_IUnknown || iid == IID_IDispatch ||
        (iid == vortan::IID_IController && offerController))
        return static_cast<vortan::IController*>(this);
    if (iid == IID_IConnectionPointContainer && offerContainer)
        return static_cast<IConnectionPointContainer*>(this);
    return nullptr;
}

HRESULT FakeController::Connect(BSTR name, BSTR options) {
    calls.push_back("Connect");
    connectName = name != nullptr ? std::u16string(name, SysStringLen(name)) : u"";
    connectOptions = options != nullptr ? std::u16string(options, SysStringLen(options)) : u"";
    if (SUCCEEDED(connectResult) && answerConnectWith)
        SetTimer(m_hAnswerWindow, kAnswerTimer, answerDelayMs, nullptr);
    return connectResult;
}

HRESULT FakeController::GetConnectionName(BSTR* name) {
    calls.push_back("GetConnectionName");
    *name = connectionName ? SysAllocStringLen(connectionName->data(),
                                               static_cast<UINT>(connectionName->size()))
                           : nullptr;
    return S_OK;
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

HRESULT FakeController::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
    if (SUCCEEDED(findConnectionPointResult))
        return events.Find(iid, point);
    if (point != nullptr)
        *point = nullptr;
    return findConnectionPointResult;
}

int FakeController::CallCount(const std::string& name) const {
    return static_cast<int>(std::count(calls.begin(), calls.end(), name));
}

} // namespace vortan::test
