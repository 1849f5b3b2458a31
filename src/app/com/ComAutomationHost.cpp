#include "app/com/ComAutomationHost.h"

#include <cstdlib>
#include <memory>
#include <tlhelp32.h>
#include <windows.h>

#include "app/AppLock.h"
#include "app/VORTANApp.h"
#include "app/VORTANDlgAutoProxy.h"
#include "app/com/ComApplicationObject.h"
#include "app/com/ComClassFactory.h"
#include "app/com/ComServerRegistration.h"
#include "vortan/ContractIds.h"

namespace vortan::app {

namespace {

constexpr UINT kDefaultActivationTimeoutMs = 60 * 1000;

UINT ActivationTimeoutMs() {
    const char* text = std::getenv("VORTAN_ACTIVATION_TIMEOUT");
    const long seconds = text != nullptr ? std::strtol(text, nullptr, 10) : 0;
    return seconds > 0 && seconds < 24 * 3600 ? static_cast<UINT>(seconds) * 1000
                                              : kDefaultActivationTimeoutMs;
}

constexpr UINT kStarterPollMs = 1000;

// The thread timers' callbacks have no context; one host runs per process.
ComAutomationHost* g_pHost = nullptr;

// The process that started this one, to wait on. Wine starts a local server from its client's
// process and, unlike Windows, never tells the server that the client died; Windows starts it
// from its DCOM launcher, which outlives it (there COM's own pinging releases the object).
HANDLE OpenStarter() {
    const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return nullptr;
    const DWORD self = ::GetCurrentProcessId();
    DWORD parent = 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more;
         more = ::Process32NextW(snapshot, &entry)) {
        if (entry.th32ProcessID == self) {
            parent = entry.th32ParentProcessID;
            break;
        }
    }
    ::CloseHandle(snapshot);
    return parent != 0 ? ::OpenProcess(SYNCHRONIZE, FALSE, parent) : nullptr;
}

// The automation proxy on the main dialog, as the COM object's target: made for the client,
// it attaches to the dialog and locks the application until the object's last release.
class ProxyTarget final : public IDispatchTarget {
public:
    explicit ProxyTarget(CVORTANDlg* pDialog) : m_proxy(pDialog) {}
    // Goes with the object: the host no longer knows one.
    ~ProxyTarget() override {
        if (g_pHost != nullptr)
            g_pHost->ObjectGone();
    }
    LONG Invoke(const automation::MethodInfo& method, automation::ArgumentFrame& frame) override {
        return m_proxy.Invoke(method, frame);
    }

private:
    CVORTANDlgAutoProxy m_proxy;
};

HRESULT CreateObject(CVORTANApp& app, REFIID iid, void** object) {
    // Owned by its references from here: the client's is the last one.
    ComApplicationObject* created =
        new ComApplicationObject(std::make_unique<ProxyTarget>(app.m_pMainWnd));
    // The creator's reference goes: an object that does not answer `iid` ends at once.
    if (g_pHost != nullptr)
        g_pHost->ObjectMade(static_cast<IDispatch*>(created));
    const HRESULT hr = created->QueryInterface(iid, object);
    created->Release();
    return hr;
}

} // namespace

ComAutomationHost::ComAutomationHost() {
    g_pHost = this;
}

ComAutomationHost::~ComAutomationHost() {
    if (m_nActivationTimer != 0)
        ::KillTimer(nullptr, m_nActivationTimer);
    if (m_nStarterTimer != 0)
        ::KillTimer(nullptr, m_nStarterTimer);
    if (m_nServedTimer != 0)
        ::KillTimer(nullptr, m_nServedTimer);
    if (m_hStarter != nullptr)
        ::CloseHandle(m_hStarter);
    if (m_dwRegister != 0)
        ::CoRevokeClassObject(m_dwRegister);
    // COM's stubs may hold the class object until OLE ends: it goes after them.
    if (m_bOleInitialized)
        ::OleUninitialize();
    m_factory.reset();
    g_pHost = nullptr;
}

bool ComAutomationHost::Initialize() {
    m_bOleInitialized = SUCCEEDED(::OleInitialize(nullptr));
    return m_bOleInitialized;
}

void ComAutomationHost::RegisterClassObjects(CVORTANApp& app) {
    m_factory = std::make_unique<ComClassFactory>(ComClassFactory::Hooks{
        .create = [&app](REFIID iid, void** object) { return CreateObject(app, iid, object); },
        .lock =
            [](bool lock) {
                if (lock)
                    AfxOleLockApp();
                else
                    AfxOleUnlockApp();
            }});
    // Creation requests are served by the main window's loop, once it runs.
    const HRESULT hr = ::CoRegisterClassObject(
        CLSID_VortanApplication, static_cast<IClassFactory*>(m_factory.get()), CLSCTX_LOCAL_SERVER,
        REGCLS_SINGLEUSE, &m_dwRegister);
    if (FAILED(hr)) {
        // No client can reach this process: it ends once its window runs.
        m_dwRegister = 0;
        m_nExitCode = 1;
        ::PostQuitMessage(1);
        return;
    }
    m_nActivationTimer = ::SetTimer(nullptr, 0, ActivationTimeoutMs(), &OnActivationTimeout);
    m_hStarter = OpenStarter();
    if (m_hStarter != nullptr)
        m_nStarterTimer = ::SetTimer(nullptr, 0, kStarterPollMs, &OnStarterPoll);
}

void ComAutomationHost::ObjectMade(IUnknown* object) {
    m_pObject = object;
    // Once the creation call has returned, the class object goes: the next client's
    // activation cannot reach this server while it ends.
    if (m_dwRegister != 0 && m_nServedTimer == 0)
        m_nServedTimer = ::SetTimer(nullptr, 0, 0, &OnServed);
}

void CALLBACK ComAutomationHost::OnServed(HWND, UINT, UINT_PTR, DWORD) {
    if (g_pHost == nullptr)
        return;
    ::KillTimer(nullptr, g_pHost->m_nServedTimer);
    g_pHost->m_nServedTimer = 0;
    if (g_pHost->m_dwRegister != 0)
        ::CoRevokeClassObject(g_pHost->m_dwRegister);
    g_pHost->m_dwRegister = 0;
}

void CALLBACK ComAutomationHost::OnStarterPoll(HWND, UINT, UINT_PTR, DWORD) {
    if (g_pHost == nullptr || ::WaitForSingleObject(g_pHost->m_hStarter, 0) != WAIT_OBJECT_0)
        return;
    ::KillTimer(nullptr, g_pHost->m_nStarterTimer);
    g_pHost->m_nStarterTimer = 0;
    // The client is gone: COM lets go of the object as at the client's release, and the
    // server ends once a call that still runs has returned. Before an object was made the
    // activation timeout ends the server.
    if (g_pHost->m_pObject != nullptr)
        ::CoDisconnectObject(g_pHost->m_pObject, 0);
}

void CALLBACK ComAutomationHost::OnActivationTimeout(HWND, UINT, UINT_PTR, DWORD) {
    if (g_pHost == nullptr)
        return;
    ::KillTimer(nullptr, g_pHost->m_nActivationTimer);
    g_pHost->m_nActivationTimer = 0;
    // The client that started this server has gone without creating its object.
    if (g_pHost->m_factory && !g_pHost->m_factory->Served())
        ::PostQuitMessage(0);
}

void ComAutomationHost::WriteRegistration(const std::filesystem::path& program) {
    com::RegistryScope scope = com::RegistryScope::Machine;
    WriteComRegistration(program, scope);
}

} // namespace vortan::app
