#include "engine/VORTANDlg.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <new>
#include <string_view>
#include <unordered_map>

#include "controller/ComponentCreation.h"
#include "controller/CtrlAccess.h"
#include "controller/FileEntry.h"
#include "controller/FlashObserverAccess.h"
#include "controller/Notifications.h"
#include "engine/FileList.h"
#include "platform/fs/Path.h"
#include "platform/profile/ProfileRun.h"
#include "platform/profile/ProfileText.h"
#include "platform/text/SafeFormat.h"
#include "platform/win/WinBase.h"
#include "platform/win/WinUser.h"
#include "resources/Resources.h"
#include "resources/TextKeys.h"
#include "vortan/ContractIds.h"
#include "vortan/com/ComError.h"
#include "vortan/com/UniqueBstr.h"
#include "vortan/text/Utf.h"

HANDLE g_hFlashMutex = nullptr;

namespace {

using vortan::com::ComPtr;
using vortan::com::UniqueBstr;
using vortan::text::FormatOne;
using vortan::text::kMaxTextBytes;
using namespace vortan::resources; // the window's control ids and text keys

constexpr UINT_PTR kBusyTimer = 1;
constexpr UINT kBusyPeriodMs = 200;
constexpr UINT IDM_ABOUTBOX = 16;

const vortan::win::DialogTemplate& TemplateOf(int id) {
    static const vortan::win::DialogTemplate kNone;
    const auto* found = vortan::resources::FindDialogTemplate(id);
    return found != nullptr ? *found : kNone;
}

std::string Cut(std::string_view text) {
    return std::string(text.substr(0, vortan::text::Utf8PrefixLength(text, kMaxTextBytes)));
}

// The leading decimal number of a size text, as the list sums them; empty or junk count 0.
DWORD SizeOf(const std::string& size) {
    return static_cast<DWORD>(std::strtol(size.c_str(), nullptr, 10));
}

std::string Decimal(long long value) {
    return std::to_string(value);
}

} // namespace

CVORTANDlg::CVORTANDlg(HWND hWndParent)
    : CDialog(TemplateOf(vortan::resources::IDD_VORTAN_DIALOG), hWndParent),
      m_pCtrlAccess(std::make_unique<CCtrlAccess>()),
      m_hIcon(::LoadIcon(nullptr, MAKEINTRESOURCE(vortan::resources::IDI_VORTAN))) {}

CVORTANDlg::~CVORTANDlg() {
    try {
        if (m_pAutoProxy != nullptr)
            m_pAutoProxy->DetachDialog();
    } catch (...) {
        // The object only forgets us; nothing to undo if it fails.
    }
    m_pAutoProxy = nullptr;
    m_pFlashObserver.reset();
    m_pCtrlAccess.reset(); // its destructor unsubscribes
    m_pFlashHandling = nullptr;
    if (m_hConnectEvent != nullptr)
        ::CloseHandle(m_hConnectEvent);
}

// ---- entry points --------------------------------------------------------------------------

HRESULT CVORTANDlg::DoReadFiles(const char* controllerName, CFileList* fileList, LONG option,
                                SHORT* pResult) {
    return DoTransfer(kRead, controllerName, fileList, option, pResult);
}

HRESULT CVORTANDlg::DoWriteFiles(const char* controllerName, CFileList* fileList, LONG option,
                                 SHORT* pResult) {
    return DoTransfer(kWrite, controllerName, fileList, option, pResult);
}

HRESULT CVORTANDlg::DoRemoveFiles(const char* controllerName, CFileList* fileList, LONG option,
                                  SHORT* pResult) {
    return DoTransfer(kRemove, controllerName, fileList, option, pResult);
}

HRESULT CVORTANDlg::DoTransfer(int mode, const char* controllerName, CFileList* fileList,
                               LONG option, SHORT* pResult) {
    if (fileList == nullptr || pResult == nullptr || controllerName == nullptr)
        return E_INVALIDARG;
    const vortan::profile::ProfileRun profileRun; // the profile is read once per run
    HRESULT hr = S_OK;
    try {
        const int n = fileList->GetCount();
        *pResult = n == 0 ? 1 : 0;
        if (n == 0)
            return S_OK;
        // A client may retry on the same server after a failed run: that run's count and its
        // hidden window must not carry over.
        m_nDone = 0;
        ::ShowWindow(m_hWnd, SW_SHOW);

        // Connecting: a COM error here (the connection object, the observer's creation) ends
        // the call with its code, like a returned connection failure.
        try {
            const UniqueBstr name = UniqueBstr::FromUtf8(controllerName);
            if (name.Get() == nullptr)
                return E_OUTOFMEMORY;
            hr = ConnectController(name.Get());
            if (FAILED(hr))
                return hr;
            if (!m_pCtrlAccess || !m_pCtrlAccess->IsConnected())
                return hr;
        } catch (const _com_error& error) {
            return error.Error();
        }

        VARIANT_BOOL outcome = VARIANT_FALSE;
        hr = RunItems(mode, *fileList, option, outcome);
        m_pCurrentItem = nullptr;
        *pResult = outcome != VARIANT_FALSE ? 1 : 0;
        return hr;
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    } catch (const _com_error& error) {
        hr = error.Error();
    } catch (...) {
        hr = E_FAIL;
    }
    m_pCurrentItem = nullptr;
    *pResult = 0;
    return hr;
}

HRESULT CVORTANDlg::RunItems(int mode, CFileList& fileList, LONG option, VARIANT_BOOL& outcome) {
    outcome = VARIANT_FALSE;
    HRESULT hr = CreateFlashHandling();
    if (FAILED(hr) || !m_pFlashHandling)
        return hr;
    outcome = VARIANT_TRUE;
    const VARIANT_BOOL optionFlag = static_cast<VARIANT_BOOL>(option);
    const int n = fileList.GetCount();
    try {
        switch (mode) {
        case kRead:
            m_nTotal = FillSizesFromMemory(fileList);
            break;
        case kWrite:
            m_nTotal = fileList.GetTotalSize();
            break;
        default:
            m_nTotal = static_cast<DWORD>(n);
            break;
        }
        for (int i = 0; i < n; ++i) {
            FileListEntry* entry = fileList.GetEntry(i);
            if (entry == nullptr)
                continue;
            m_pCurrentItem = entry;
            if (outcome == VARIANT_FALSE)
                break;
            m_bLastItem = i == n - 1 ? TRUE : FALSE;

            // The local path goes over whole, never cut: one too long for the file system is
            // refused by the component, which fails the item with a code the client can read.
            std::string localPath;
            if (mode == kRead)
                localPath =
                    vortan::fs::JoinPath(entry->m_strTargetDirectory, entry->m_strTargetName);
            else if (mode == kWrite)
                localPath = entry->m_strDirectory + entry->m_strName;
            const std::string& memoryName =
                mode == kWrite ? entry->m_strTargetName : entry->m_strName;
            const UniqueBstr bstrPath = UniqueBstr::FromUtf8(localPath);
            const UniqueBstr bstrName = UniqueBstr::FromUtf8(memoryName);
            if (bstrPath.Get() == nullptr || bstrName.Get() == nullptr)
                throw std::bad_alloc();

            const ComPtr<vortan::IController> controller =
                m_pCtrlAccess ? m_pCtrlAccess->GetController() : nullptr;
            HRESULT call = S_OK;
            switch (mode) {
            case kRead:
                call = m_pFlashHandling->ReadFromMemory(controller.Get(), bstrPath.Get(),
                                                        bstrName.Get(), optionFlag, &outcome);
                break;
            case kWrite:
                call = m_pFlashHandling->WriteToMemory(controller.Get(), bstrPath.Get(),
                                                       bstrName.Get(), optionFlag, &outcome);
                break;
            default:
                call = m_pFlashHandling->RemoveFromMemory(controller.Get(), bstrName.Get(),
                                                          optionFlag, &outcome);
                break;
            }
            // A component that fails its call has not done the item, whatever it left in the
            // outcome: the run ends and the client reads a failure.
            if (FAILED(call)) {
                m_bAborted = TRUE;
                outcome = VARIANT_FALSE;
                return S_OK;
            }
            hr = call;
        }
    } catch (const _com_error&) {
        m_bAborted = TRUE;
        outcome = VARIANT_FALSE;
        return S_OK;
    }
    return hr;
}

HRESULT CVORTANDlg::DoFormat(VARIANT* pName, SHORT* pSelector, LONG option, SHORT* pResult) {
    if (pName == nullptr || pSelector == nullptr || pResult == nullptr || pName->vt != VT_BSTR)
        return E_INVALIDARG;
    const vortan::profile::ProfileRun profileRun;
    try {
        m_nBusyPos = 0;
        ::ShowWindow(m_hWnd, SW_SHOW); // an earlier failed run may have hidden it
        *pResult = 0;
        *pSelector = 1;
        VARIANT_BOOL outcome = VARIANT_FALSE;
        ::SetTimer(m_hWnd, kBusyTimer, kBusyPeriodMs, nullptr);

        HRESULT hr = S_OK;
        try {
            hr = ConnectController(pName->bstrVal);
            if (FAILED(hr))
                return hr;
            if (!m_pCtrlAccess || !m_pCtrlAccess->IsConnected())
                return hr;
        } catch (const _com_error& error) {
            return error.Error(); // the busy animation goes on, as after a refused connection
        }
        ::KillTimer(m_hWnd, kBusyTimer);

        hr = CreateFlashHandling();
        if (FAILED(hr) || !m_pFlashHandling)
            return hr;
        m_bLastItem = TRUE;
        const ComPtr<vortan::IController> controller =
            m_pCtrlAccess ? m_pCtrlAccess->GetController() : nullptr;
        const HRESULT call = m_pFlashHandling->FormatMemory(
            controller.Get(), *pSelector, static_cast<VARIANT_BOOL>(option), &outcome);
        if (FAILED(call))
            return hr; // the creation's code; the flag stays 0
        if (outcome == VARIANT_TRUE)
            *pResult = 1;
        return call;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (const _com_error& error) {
        return error.Error();
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT CVORTANDlg::GetLastErrorInfo(LONG* pCode, SHORT* pValue1, SHORT* pValue2, SHORT* pValue3) {
    if (!m_pCtrlAccess)
        return E_FAIL;
    vortan::ControllerErrorInfo info{};
    m_pCtrlAccess->GetErrorInfo(&info);
    if (pCode != nullptr)
        *pCode = info.lCode;
    if (pValue1 != nullptr)
        *pValue1 = info.nValue1;
    if (pValue2 != nullptr)
        *pValue2 = info.nValue2;
    if (pValue3 != nullptr)
        *pValue3 = info.nValue3;
    return S_OK;
}

LONG CVORTANDlg::CloseServer() {
    if (g_hFlashMutex != nullptr) {
        ::CloseHandle(g_hFlashMutex);
        g_hFlashMutex = nullptr;
    }
    DisconnectController();
    try {
        EndDialog(1);
    } catch (...) {
        // Ending cannot fail in a way the client could act on.
    }
    return 1;
}

BOOL CVORTANDlg::LookupText(int key, std::string& text) const {
    try {
        return vortan::profile::LookupProfileText(m_strProfileFile.c_str(),
                                                  m_strProfileSection.c_str(), key, text)
                   ? TRUE
                   : FALSE;
    } catch (...) {
        return FALSE; // a text that cannot be had is a missing one
    }
}

// ---- connection ----------------------------------------------------------------------------

HRESULT CVORTANDlg::ConnectController(BSTR name) {
    // Without the window (the dialog is not running) no answer and no report could reach us.
    if (!::IsWindow(m_hWnd))
        return E_FAIL;
    std::string text;
    if (LookupText(kTextConnectCaption, text))
        SetCaption(text);
    if (LookupText(kTextConnectStatus, text)) {
        const UniqueBstr copy = UniqueBstr::Copy(name);
        SetStatus(FormatOne(text, 's', copy.ToUtf8(), kMaxTextBytes));
    }
    if (!EnsureFlashObserver())
        return E_FAIL;

    if (m_pCtrlAccess) {
        HRESULT hr = m_pCtrlAccess->Initialize(m_hWnd);
        if (FAILED(hr))
            return hr;
        const UniqueBstr copy = UniqueBstr::Copy(name);
        hr = m_pCtrlAccess->Connect(copy.ToUtf8().c_str(), "");
        if (FAILED(hr))
            return hr;
        m_hConnectEvent = ::CreateEvent(nullptr, TRUE, FALSE, nullptr);
        if (m_hConnectEvent == nullptr)
            return HRESULT_FROM_WIN32(::GetLastError());
        const BOOL answered = WaitForConnectAnswer();
        ::CloseHandle(m_hConnectEvent);
        m_hConnectEvent = nullptr;
        // Ending before an answer: the run goes on as not connected.
        if (!answered)
            DisconnectController();
    }

    const bool connected = m_pCtrlAccess && m_pCtrlAccess->IsConnected();
    if (LookupText(connected ? kTextConnected : kTextNotConnected, text))
        SetStatus(text);
    return S_OK;
}

BOOL CVORTANDlg::WaitForConnectAnswer() {
    MSG msg;
    for (;;) {
        // A quit request (0) is not served here, but it is not lost either: the program is
        // ending (its bus is gone, say), so nobody waits for the answer any more. It is posted
        // again for the loops outside once the wait is over.
        const BOOL got = ::GetMessage(&msg, nullptr, 0, 0);
        if (got == 0) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return FALSE;
        }
        if (got > 0) {
            ::TranslateMessage(&msg);
            ::DispatchMessage(&msg);
        }
        if (::WaitForSingleObject(m_hConnectEvent, 0) == WAIT_OBJECT_0)
            return TRUE;
        // CloseServer dropped the connection object while we waited: nobody will answer.
        if (!m_pCtrlAccess)
            return TRUE;
    }
}

BOOL CVORTANDlg::EnsureFlashObserver() {
    // The observer's constructor raises its creation failure; the run that connects
    // catches it and reports its code.
    if (!m_pFlashObserver)
        m_pFlashObserver = std::make_unique<CFlashObserverAccess>(m_hWnd);
    return m_pFlashObserver ? TRUE : FALSE;
}

HRESULT CVORTANDlg::CreateFlashHandling() {
    m_pFlashHandling = nullptr;
    try {
        m_pFlashHandling = vortan::controller::CreateComponentAs<vortan::IFlashHandling>(
            vortan::CLSID_FlashHandling, vortan::IID_IFlashHandling);
    } catch (const _com_error& error) {
        return error.Error();
    }
    return m_pFlashHandling ? S_OK : E_NOINTERFACE;
}

DWORD CVORTANDlg::FillSizesFromMemory(CFileList& fileList) {
    if (!m_pCtrlAccess || !m_pCtrlAccess->IsConnected())
        return 0;
    SHORT count = 0;
    if (FAILED(m_pCtrlAccess->GetFileCount(&count)))
        return 0;

    // One pass over the list: the first entry of each name is the one a lookup finds.
    std::unordered_map<std::string_view, FileListEntry*> byName;
    const int n = fileList.GetCount();
    byName.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        if (FileListEntry* entry = fileList.GetEntry(i))
            byName.try_emplace(entry->m_strName, entry);
    }

    DWORD total = 0;
    vortan::controller::FileEntry record;
    for (LONG i = 0; i < count; ++i) {
        if (m_pCtrlAccess->GetFileEntry(i, record.Out()) < 0)
            return 0;
        const std::string name = record.NameUtf8();
        if (const auto found = byName.find(name); found != byName.end()) {
            found->second->m_strSize = Decimal(record.Size());
            total += static_cast<DWORD>(record.Size());
        }
    }
    return total;
}

LRESULT CVORTANDlg::OnItemFinished() {
    if (m_bLastItem) {
        DisconnectController();
        EndDialog(1);
    } else if (m_pCurrentItem != nullptr) {
        m_nDone += SizeOf(m_pCurrentItem->m_strSize);
    }
    return 0;
}

void CVORTANDlg::DisconnectController() noexcept {
    if (!m_pCtrlAccess)
        return;
    try {
        m_pCtrlAccess->Disconnect();
    } catch (...) {
        // The connection goes with the object anyway.
    }
    m_pCtrlAccess.reset();
}

// ---- window --------------------------------------------------------------------------------

BOOL CVORTANDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // Our windows have no system-menu box; the view offers this menu on the window itself.
    const std::string about =
        vortan::resources::LoadStringResource(vortan::resources::IDS_ABOUTBOX);
    if (HMENU menu = ::GetSystemMenu(m_hWnd, FALSE); menu != nullptr && !about.empty()) {
        ::AppendMenu(menu, MF_SEPARATOR, 0, nullptr);
        ::AppendMenu(menu, MF_STRING, IDM_ABOUTBOX, about.c_str());
    }
    const HWND progress = ::GetDlgItem(m_hWnd, IDC_PROGRESS);
    ::SendMessage(progress, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    ::SendMessage(progress, PBM_SETPOS, 0, 0);
    ::ShowWindow(m_hWnd, SW_HIDE);
    return TRUE;
}

void CVORTANDlg::OnOK() {
    if (m_pAutoProxy != nullptr)
        ::ShowWindow(m_hWnd, SW_HIDE);
    else
        EndDialog(IDOK);
}

void CVORTANDlg::OnCancel() {
    if (!m_bAborted)
        return; // nobody cancels a run from this window
    if (m_pAutoProxy != nullptr)
        ::ShowWindow(m_hWnd, SW_HIDE);
    else
        EndDialog(IDCANCEL);
}

LRESULT CVORTANDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    using namespace vortan::controller;
    try {
        if (message >= WM_FLASH_FIRST && message <= WM_FLASH_LAST) {
            OnFlashNotification(static_cast<int>(message - WM_FLASH_BASE), wParam, lParam);
            RepaintDuringCall();
            return 0;
        }
        switch (message) {
        case WM_CONTROLLER_DISCONNECTED:
        case WM_CONTROLLER_CONNECTED:
        case WM_CONTROLLER_CONNECTION_LOST:
        case WM_CONTROLLER_CONNECT_FAILED:
            if (m_hConnectEvent != nullptr)
                ::SetEvent(m_hConnectEvent);
            return 0;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == IDM_ABOUTBOX) {
                ShowAboutBox();
                return 0;
            }
            break;
        case WM_QUERYDRAGICON:
            return reinterpret_cast<LRESULT>(m_hIcon);
        case WM_CLOSE:
            if (m_pAutoProxy != nullptr) {
                ::ShowWindow(m_hWnd, SW_HIDE);
                return 0;
            }
            // Nobody drives the window (a plain start, or a server whose last object was
            // released): closing it ends the program, which would otherwise linger unseen.
            EndDialog(IDCANCEL);
            return 0;
        case WM_TIMER:
            if (wParam == kBusyTimer)
                OnBusyTimer();
            break;
        default:
            break;
        }
        return CDialog::WindowProc(message, wParam, lParam);
    } catch (...) {
        // A handler must not throw into the loop that dispatched it.
        return 0;
    }
}

void CVORTANDlg::RepaintDuringCall() {
    // Flash notifications come inside the component's call, where no loop runs to repaint the
    // window. Ask for it now, but not more than every 20 ms so the transfer does not wait on
    // drawing; the loop draws the last state once the call has returned.
    constexpr DWORD kRepaintSpacingMs = 20;
    const DWORD now = ::GetTickCount();
    if (now - m_dwLastRepaint < kRepaintSpacingMs)
        return;
    m_dwLastRepaint = now;
    // The status text and the bar are windows of their own: they draw too.
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void CVORTANDlg::ShowAboutBox() {
    CDialog about(TemplateOf(vortan::resources::IDD_ABOUTBOX), m_hWnd);
    about.DoModal();
}

LRESULT CVORTANDlg::OnFlashNotification(int n, WPARAM wParam, LPARAM lParam) {
    std::string text;
    switch (n) {
    case vortan::DISPID_FLASH_FORMAT_BEGIN:
        SetPhaseTexts(kTextFormatCaption, kTextFormatStatus);
        CreateFlashMutex(wParam);
        break;
    case vortan::DISPID_FLASH_FORMAT_END:
        if (g_hFlashMutex != nullptr && ::CloseHandle(g_hFlashMutex))
            g_hFlashMutex = nullptr;
        OnItemFinished();
        break;
    case vortan::DISPID_FLASH_FORMAT_PROGRESS:
        ShowPercent(lParam);
        break;
    case vortan::DISPID_FLASH_WRITE_BEGIN:
        SetPhaseTexts(kTextWriteCaption, kTextWriteStatus);
        break;
    case vortan::DISPID_FLASH_WRITE_END:
    case vortan::DISPID_FLASH_READ_END:
        OnItemFinished();
        break;
    case vortan::DISPID_FLASH_WRITE_PROGRESS:
    case vortan::DISPID_FLASH_READ_PROGRESS:
        ShowByteProgress(lParam);
        break;
    case vortan::DISPID_FLASH_READ_BEGIN:
        SetPhaseTexts(kTextReadCaption, kTextReadStatus);
        break;
    case vortan::DISPID_FLASH_REMOVE_BEGIN:
        if (LookupText(kTextRemoveCaption, text))
            m_strCaptionFormat = text;
        if (LookupText(kTextRemoveStatus, text))
            m_strStatusFormat = text;
        ShowStatusLine();
        ShowCaption(m_strCaptionFormat);
        break;
    case vortan::DISPID_FLASH_REMOVE_FILE_DONE:
        ++m_nDone;
        ShowByteProgress(0);
        if (LookupText(kTextRemovedStatus, text))
            m_strStatusFormat = text;
        ShowStatusLine();
        if (m_bLastItem)
            OnItemFinished();
        break;
    case vortan::DISPID_FLASH_REMOVE_PROGRESS:
        ShowItemProgress(wParam, lParam);
        break;
    default: // the failures, 10 to 13 and 16: the component failed the item
        ::ShowWindow(m_hWnd, SW_HIDE);
        m_bAborted = TRUE;
        break;
    }
    return 0;
}

void CVORTANDlg::OnBusyTimer() {
    SetProgressPos(m_nBusyPos);
    m_nBusyPos += 10;
    if (m_nBusyPos >= 100)
        m_nBusyPos = 0;
}

void CVORTANDlg::SetPhaseTexts(int captionKey, int statusKey) {
    std::string text;
    if (LookupText(captionKey, text))
        m_strCaptionFormat = text;
    if (LookupText(statusKey, text))
        m_strStatusFormat = text;
    ShowStatusLine();
}

void CVORTANDlg::ShowStatusLine() {
    // Without any status text from the client the line keeps what it shows.
    if (m_strStatusFormat.empty())
        return;
    if (m_pCurrentItem != nullptr)
        SetStatus(FormatOne(m_strStatusFormat, 's', m_pCurrentItem->m_strName, kMaxTextBytes));
    else
        SetStatus(m_strStatusFormat);
}

void CVORTANDlg::ShowPercent(LPARAM p) {
    const long long percent = std::min<long long>(p, 100);
    SetProgressPos(static_cast<int>(std::max<long long>(percent, INT_MIN)));
    ShowCaption(FormatOne(m_strCaptionFormat, 'd', Decimal(percent), kMaxTextBytes));
}

void CVORTANDlg::ShowByteProgress(LPARAM part) {
    if (m_nTotal == 0)
        return;
    // 64 bits: done + part times 100 never overflows for 32-bit counters. A part below 0
    // (a confused component) counts as nothing done in the item.
    const long long done = std::max<long long>(0, static_cast<long long>(m_nDone) + part);
    ShowProgressValue(static_cast<unsigned long long>(done) * 100ULL / m_nTotal);
}

void CVORTANDlg::ShowItemProgress(WPARAM whole, LPARAM part) {
    const auto wholeSigned = static_cast<long long>(static_cast<LPARAM>(whole));
    if (wholeSigned < 1 || m_nTotal == 0)
        return;
    const long long itemShare = static_cast<long long>(part) * 100 / wholeSigned;
    const unsigned long long first =
        itemShare > 0 ? static_cast<unsigned long long>(itemShare) / m_nTotal : 0;
    ShowProgressValue(first + static_cast<unsigned long long>(m_nDone) * 100ULL / m_nTotal);
}

void CVORTANDlg::ShowProgressValue(unsigned long long p) {
    // Not capped at 100 in the caption; the bar stops there by itself.
    const int shown = static_cast<int>(std::min<unsigned long long>(p, INT_MAX));
    ShowCaption(FormatOne(m_strCaptionFormat, 'd', Decimal(shown), kMaxTextBytes));
    SetProgressPos(shown);
}

void CVORTANDlg::CreateFlashMutex(WPARAM number) {
    if (g_hFlashMutex != nullptr) {
        ::CloseHandle(g_hFlashMutex);
        g_hFlashMutex = nullptr;
    }
    const std::string name =
        FormatOne("KELMORANTQmt%d", 'd', Decimal(static_cast<long long>(number)), kMaxTextBytes);
    g_hFlashMutex = ::CreateMutexA(nullptr, TRUE, name.c_str());
    if (g_hFlashMutex != nullptr && ::GetLastError() == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(g_hFlashMutex);
        g_hFlashMutex = nullptr;
    }
}

void CVORTANDlg::SetCaption(const std::string& text) {
    ::SetWindowText(m_hWnd, Cut(text).c_str());
}

void CVORTANDlg::ShowCaption(const std::string& text) {
    // Without any caption text from the client the caption keeps what it shows.
    if (!m_strCaptionFormat.empty())
        SetCaption(text);
}

void CVORTANDlg::SetStatus(const std::string& text) {
    ::SetDlgItemText(m_hWnd, IDC_STATUS, Cut(text).c_str());
}

void CVORTANDlg::SetProgressPos(int pos) {
    ::SendMessage(::GetDlgItem(m_hWnd, IDC_PROGRESS), PBM_SETPOS, static_cast<WPARAM>(pos), 0);
}
