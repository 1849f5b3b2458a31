#pragma once

// The program's one handle on the controller access component. Initialize creates the
// component and subscribes a CControllerEvents sink, so the component's answers arrive as
// controller notifications at the window given; the wrappers check their arguments and the
// connection and treat failures uniformly:
//  - returned: the wrapper answers an HRESULT (or a status);
//  - raised: a failed IController call throws _com_error with its HRESULT and
//    IID_IController. Where a wrapper raises, a missing component raises E_POINTER and a
//    string that cannot be allocated as a BSTR raises E_OUTOFMEMORY.
// Texts are UTF-8; they cross to the component as BSTRs (UTF-16).
// Lives on the UI thread only. Not copyable: it owns a subscription.

#include <memory>

#include "controller/ControllerEvents.h"
#include "controller/EventSubscription.h"
#include "controller/INotifyTarget.h"
#include "vortan/ContractRecords.h"
#include "vortan/IController.h"
#include "vortan/com/ComPtr.h"

class CCtrlAccess final : public vortan::controller::INotifyTarget {
public:
    CCtrlAccess() = default;
    CCtrlAccess(const CCtrlAccess&) = delete;
    CCtrlAccess& operator=(const CCtrlAccess&) = delete;
    // Unsubscribes and releases everything (the engine disconnects first).
    ~CCtrlAccess();

    // Drops any earlier subscription, creates the component and subscribes the sink; the
    // notifications then go to hWnd. Shows a message box for each failure:
    //   component cannot be created, run or asked for IController (not E_NOINTERFACE):
    //     "Initialize Controller Objekt -> Fehlercode: 0x%08lX" under "Interner Fehler";
    //     E_FAIL
    //   no IController pointer: "IControllerPtr fails"; S_OK
    //   no IConnectionPointContainer: "QueryInterface fails"; its HRESULT
    //   no connection point: "FindConnectionPoint fails"; its HRESULT
    //   Advise refused: "Advise fails"; its HRESULT
    // Never raises.
    HRESULT Initialize(HWND hWnd);
    // Unadvises, then releases the connection point, the container, the sink and last the
    // component. Never raises.
    void Uninitialize() noexcept;

    // No component: E_FAIL; a null text: E_INVALIDARG. Else IController::Connect's result
    // (raises).
    HRESULT Connect(const char* name, const char* options);
    // No component: E_FAIL. With an open connection (a non-empty connection name)
    // IController::Disconnect's result, else S_OK without calling it (both raise).
    HRESULT Disconnect();
    // FALSE without a component; else the component's flag widened with its sign (raises).
    BOOL IsConnected();
    // Sets *pCount to 0 first. Not connected: E_FAIL; directory not readable: the successful
    // result of HasFileDirectory with a count of 0; else GetMemoryInfo's result and its count.
    // A null pCount: E_INVALIDARG.
    HRESULT GetFileCount(SHORT* pCount);
    // Null pEntry: E_INVALIDARG; not connected: E_FAIL; else the component's 16-bit status
    // widened with its sign (below 0: no such entry). Raises. The name in *pEntry then
    // belongs to the caller (vortan::controller::FileEntry frees it).
    LONG GetFileEntry(LONG index, vortan::FileEntryInfo* pEntry);
    // Null pFlag: E_INVALIDARG; not connected: E_FAIL; else the component's result
    // (returned). The connection check raises.
    HRESULT HasFileDirectory(SHORT* pFlag);
    // Null pInfo: E_INVALIDARG; refreshes the component's information (UpdateInfo 256);
    // not connected: E_FAIL; else the component's result (returned). The refresh and the
    // connection check raise.
    HRESULT GetMemoryInfo(vortan::MemoryInfo* pInfo);
    // FALSE, record untouched, without a component (or a null pInfo); else fills the record
    // (the component's result is ignored) and answers TRUE. Never raises.
    BOOL GetErrorInfo(vortan::ControllerErrorInfo* pInfo);
    // A new reference to the component, null if there is none.
    vortan::com::ComPtr<vortan::IController> GetController() const noexcept;

    HWND NotifyWindow() const noexcept override { return m_hNotifyWnd; }

private:
    vortan::com::ComPtr<vortan::IController> m_pController;
    std::unique_ptr<CControllerEvents> m_pEvents;
    // After the sink: unadvised before the sink goes.
    vortan::controller::EventSubscription m_subscription;
    HWND m_hNotifyWnd = nullptr;
};
