#include "app/com/ComAutomationHost.h"

#include <cstdlib>
#include <memory>

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

// The thread timer's callback has no context; one host runs per process.
ComAutomationHost* g_pHost = nullptr;

// The automation proxy on the main dialog, as the COM object's target: made for the client,
// it attaches to the dialog and locks the application until the object's last release.
class ProxyTarget final : public IDispatchTarget {
public:
    explicit ProxyTarget(CVORTANDlg* pDialog) : m_proxy(pDialog) {}
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
