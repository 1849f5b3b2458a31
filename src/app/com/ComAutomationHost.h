#pragma once

// COM as the program's object-activation mechanism: OLE's initialisation, the single-use
// class object, the automation object's lifetime and the registry entries.

#include <memory>

#include "app/IAutomationHost.h"
#include "vortan/WinTypes.h"

namespace vortan::app {

class ComClassFactory;

class ComAutomationHost final : public IAutomationHost {
public:
    ComAutomationHost();
    ~ComAutomationHost();
    ComAutomationHost(const ComAutomationHost&) = delete;
    ComAutomationHost& operator=(const ComAutomationHost&) = delete;

    // OleInitialize: a single-threaded apartment on the program's one thread.
    bool Initialize() override;
    // CoRegisterClassObject, local server, single use. A server that no client creates an
    // object on within a minute ($VORTAN_ACTIVATION_TIMEOUT seconds) ends.
    void RegisterClassObjects(CVORTANApp& app) override;
    // The class id and ProgID; failures are not reported.
    void WriteRegistration(const std::filesystem::path& program) override;

    // Non-zero when the class object could not be registered.
    int ExitCode() const { return m_nExitCode; }

    // The automation object, made for the client and gone with its last release. The host
    // disconnects it from COM when the process that started the server ends.
    void ObjectMade(IUnknown* object);
    void ObjectGone() { m_pObject = nullptr; }

private:
    static void CALLBACK OnActivationTimeout(HWND, UINT, UINT_PTR, DWORD);
    static void CALLBACK OnStarterPoll(HWND, UINT, UINT_PTR, DWORD);
    static void CALLBACK OnServed(HWND, UINT, UINT_PTR, DWORD);

    std::unique_ptr<ComClassFactory> m_factory;
    DWORD m_dwRegister = 0;
    UINT_PTR m_nActivationTimer = 0;
    HANDLE m_hStarter = nullptr; // the process that started this server, if it can be waited on
    UINT_PTR m_nStarterTimer = 0;
    UINT_PTR m_nServedTimer = 0;
    IUnknown* m_pObject = nullptr; // not owned
    bool m_bOleInitialized = false;
    int m_nExitCode = 0;
};

} // namespace vortan::app
