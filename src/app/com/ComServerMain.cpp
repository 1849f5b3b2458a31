#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <span>
#include <string>
#include <windows.h>

#include "app/CommandLineInfo.h"
#include "app/PluginRegistration.h"
#include "app/VORTANApp.h"
#include "app/com/ComAutomationHost.h"
#include "app/com/ComServerRegistration.h"
#include "platform/ui/ScriptedUi.h"
#include "platform/ui/UnattendedDesktop.h"
#include "vortan/ContractIds.h"
#include "vortan/com/HResult.h"

namespace {

constexpr const char* kUsage = R"(Usage: vortan [OPTION]

VORTAN moves configuration files between this PC and the parameterization memory
(flash file store) of a controller board. Client programs drive it through COM
automation (ProgID ZEPH.VORTAN.Application.7); each client gets a server process
of its own.

Started without options it writes its registration (class id, ProgID and this
program as local server) and shows its window; closing the window ends it.

Options:
  /Automation    start as the automation server (COM does this;
                 -Embedding, /Embedding and -Automation do the same)
  /RegServer     write the server's registration and exit (also --register)
  /UnregServer   remove the server's registration and exit (also --unregister)
  --register-plugin PATH
                 register the component plug-in PATH (an in-process COM server)
                 by calling its DllRegisterServer, as regsvr32 does, and exit
  --unregister-plugin PATH
                 call the plug-in's DllUnregisterServer and exit
  --help         show this text and exit
  --version      show the version and exit

The registration goes under HKEY_LOCAL_MACHINE\Software\Classes when this user
may write there, else under HKEY_CURRENT_USER\Software\Classes.
)";

std::filesystem::path ProgramPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

// A GUI program has no console of its own: what its command-line verbs say goes to the
// console of the prompt that started it, unless its output is redirected.
void UseParentConsole() {
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (out != nullptr && out != INVALID_HANDLE_VALUE && ::GetFileType(out) != FILE_TYPE_UNKNOWN)
        return;
    if (!::AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    // Nothing to do when they cannot be opened: the texts then go nowhere, as before.
    if (std::freopen("CONOUT$", "w", stdout) == nullptr ||
        std::freopen("CONOUT$", "w", stderr) == nullptr)
        return;
}

int Register(bool add) {
    UseParentConsole();
    vortan::com::RegistryScope scope = vortan::com::RegistryScope::Machine;
    const HRESULT hr = add ? vortan::app::WriteComRegistration(ProgramPath(), scope)
                           : vortan::app::RemoveComRegistration();
    if (FAILED(hr)) {
        std::fprintf(stderr, "vortan: could not %s the registration (%s)\n",
                     add ? "write" : "remove", FormatHResult(hr).c_str());
        return 1;
    }
    if (add)
        std::printf("vortan: registered %s under %s\n", vortan::kVortanApplicationProgId,
                    vortan::com::RegistryScopeName(scope));
    else
        std::printf("vortan: removed the registration of %s\n", vortan::kVortanApplicationProgId);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::span<const char* const> args(argv + 1, static_cast<std::size_t>(argc - 1));
    switch (vortan::app::FindRegistrationSwitch(args)) {
    case vortan::app::RegistrationSwitch::Register:
        return Register(true);
    case vortan::app::RegistrationSwitch::Unregister:
        return Register(false);
    case vortan::app::RegistrationSwitch::None:
        break;
    }

    using Action = vortan::app::CommandLineInfo::Action;
    const auto info = vortan::app::CommandLineInfo::Parse(args);
    if (info.action != Action::Run)
        UseParentConsole();
    switch (info.action) {
    case Action::Help:
        std::fputs(kUsage, stdout);
        return 0;
    case Action::Version:
        std::printf("vortan %s\n", VORTAN_VERSION);
        return 0;
    case Action::Error:
        std::fprintf(stderr, "vortan: %s\n%s", info.strError.c_str(), kUsage);
        return 2;
    case Action::Register:
        return Register(true);
    case Action::Unregister:
        return Register(false);
    case Action::RegisterPlugin:
        return vortan::app::RegisterPlugin(info.strPlugin, std::cout, std::cerr);
    case Action::UnregisterPlugin:
        return vortan::app::UnregisterPlugin(info.strPlugin, std::cout, std::cerr);
    case Action::Run:
        break;
    }

    // Without a person (tests, services) the visible services answer from a script.
    std::optional<vortan::ui::UnattendedDesktop> unattended;
    if (vortan::ui::ScriptedUi::Wanted())
        unattended.emplace();

    // Declared first, so OLE ends after the application has let go of every object.
    vortan::app::ComAutomationHost host;
    CVORTANApp theApp(host, info, ProgramPath());
    theApp.InitInstance();
    return theApp.ExitCode() != 0 ? theApp.ExitCode() : host.ExitCode();
}
