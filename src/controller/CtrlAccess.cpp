#include "controller/CtrlAccess.h"

#include <cstdio>

#include "controller/ComponentCreation.h"
#include "controller/EventSubscription.h"
#include "platform/ui/MessageBox.h"
#include "vortan/ContractIds.h"
#include "vortan/com/UniqueBstr.h"

using vortan::IID_IController;
using vortan::com::ThrowIfFailed;
using vortan::com::UniqueBstr;

namespace {

UniqueBstr BstrOrRaise(const char* text) {
    UniqueBstr bstr = UniqueBstr::FromUtf8(text);
    if (bstr.Get() == nullptr)
        _com_issue_errorex(E_OUTOFMEMORY, nullptr, IID_IController);
    return bstr;
}

void ShowCreationFailure(HRESULT hr) noexcept {
    char text[64];
    std::snprintf(text, sizeof text, "Initialize Controller Objekt -> Fehlercode: 0x%08lX",
                  static_cast<unsigned long>(static_cast<DWORD>(hr)));
    MessageBox(nullptr, text, "Interner Fehler", MB_OK);
}

} // namespace

CCtrlAccess::~CCtrlAccess() {
    Uninitialize();
}

HRESULT CCtrlAccess::Initialize(HWND hWnd) {
    m_hNotifyWnd = hWnd;
    Uninitialize();
    m_pEvents = std::make_unique<CControllerEvents>(this);
    try {
        m_pController = vortan::controller::CreateComponentAs<vortan::IController>(
            vortan::CLSID_ControllerAccess, IID_IController);
    } catch (const _com_error& error) {
        // The sink stays until the next Uninitialize.
        ShowCreationFailure(error.Error());
        return E_FAIL;
    }
    if (!m_pController) {
        vortan::controller::ShowSubscriptionFailure("IControllerPtr fails");
        return S_OK; // the following Connect fails with E_FAIL and stops the run
    }
    return m_subscription.Subscribe(*m_pController, vortan::DIID_IControllerEvents, *m_pEvents);
}

void CCtrlAccess::Uninitialize() noexcept {
    m_subscription.Reset();
    m_pEvents.reset(); // whatever its count: the component gave its references back
    m_pController = nullptr;
}

HRESULT CCtrlAccess::Connect(const char* name, const char* options) {
    if (!m_pController)
        return E_FAIL;
    if (name == nullptr || options == nullptr)
        return E_INVALIDARG;
    const UniqueBstr bstrName = BstrOrRaise(name);
    const UniqueBstr bstrOptions = BstrOrRaise(options);
    return ThrowIfFailed(m_pController->Connect(bstrName.Get(), bstrOptions.Get()),
                         IID_IController);
}

HRESULT CCtrlAccess::Disconnect() {
    if (!m_pController)
        return E_FAIL;
    UniqueBstr connectionName;
    ThrowIfFailed(m_pController->GetConnectionName(connectionName.OutParam()), IID_IController);
    if (connectionName.Length() == 0)
        return S_OK;
    return ThrowIfFailed(m_pController->Disconnect(), IID_IController);
}

BOOL CCtrlAccess::IsConnected() {
    if (!m_pController)
        return FALSE;
    VARIANT_BOOL connected = VARIANT_FALSE;
    ThrowIfFailed(m_pController->IsConnected(&connected), IID_IController);
    return connected;
}

HRESULT CCtrlAccess::GetFileCount(SHORT* pCount) {
    if (pCount == nullptr)
        return E_INVALIDARG;
    *pCount = 0;
    vortan::MemoryInfo info{};
    if (!IsConnected())
        return E_FAIL;
    SHORT readable = 0;
    HRESULT hr = HasFileDirectory(&readable);
    if (FAILED(hr) || readable == 0)
        return hr;
    hr = GetMemoryInfo(&info);
    if (FAILED(hr))
        return hr;
    *pCount = info.nFileCount;
    return hr;
}

LONG CCtrlAccess::GetFileEntry(LONG index, vortan::FileEntryInfo* pEntry) {
    if (pEntry == nullptr)
        return E_INVALIDARG;
    VARIANT_BOOL connected = VARIANT_FALSE;
    ThrowIfFailed(m_pController.Checked(IID_IController)->IsConnected(&connected), IID_IController);
    if (connected == 0)
        return E_FAIL;
    SHORT status = 0;
    ThrowIfFailed(m_pController->GetFileEntry(index, pEntry, &status), IID_IController);
    return status;
}

HRESULT CCtrlAccess::HasFileDirectory(SHORT* pFlag) {
    if (pFlag == nullptr)
        return E_INVALIDARG;
    VARIANT_BOOL connected = VARIANT_FALSE;
    ThrowIfFailed(m_pController.Checked(IID_IController)->IsConnected(&connected), IID_IController);
    if (connected == 0)
        return E_FAIL;
    return m_pController->HasFileDirectory(pFlag);
}

HRESULT CCtrlAccess::GetMemoryInfo(vortan::MemoryInfo* pInfo) {
    if (pInfo == nullptr)
        return E_INVALIDARG;
    SHORT ignored = 0;
    ThrowIfFailed(m_pController.Checked(IID_IController)->UpdateInfo(256, &ignored),
                  IID_IController);
    VARIANT_BOOL connected = VARIANT_FALSE;
    ThrowIfFailed(m_pController->IsConnected(&connected), IID_IController);
    if (connected == 0)
        return E_FAIL;
    return m_pController->GetMemoryInfo(pInfo);
}

BOOL CCtrlAccess::GetErrorInfo(vortan::ControllerErrorInfo* pInfo) {
    if (!m_pController || pInfo == nullptr)
        return FALSE;
    m_pController->GetErrorInfo(pInfo); // the record is relayed as it is; the result is not
    return TRUE;
}

vortan::com::ComPtr<vortan::IController> CCtrlAccess::GetController() const noexcept {
    return m_pController;
}
