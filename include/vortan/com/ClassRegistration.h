#pragma once

// A COM class's entries in the Windows registry, written and removed the way setup programs
// and self-registering servers (DllRegisterServer, /RegServer) do. Windows only: elsewhere
// classes live in the class registry file.

#ifdef _WIN32

#include <string>

#include "vortan/com/Guid.h"

namespace vortan::com {

enum class ServerKind {
    InProcess,   // InprocServer32: the path of a DLL
    LocalServer, // LocalServer32: the command line of a program
};

// Where the entries went.
enum class RegistryScope {
    Machine, // HKEY_LOCAL_MACHINE\Software\Classes: every user of the machine
    User,    // HKEY_CURRENT_USER\Software\Classes: the current user only
};

struct ClassRegistration {
    CLSID clsid{};
    std::string description; // the default value of CLSID\{clsid} and of the ProgID key
    ServerKind kind = ServerKind::InProcess;
    std::string server;         // DLL path, or program command line (quoted as it must run)
    std::string threadingModel; // in-process only, e.g. "Apartment"; empty: none written
    std::string progId;         // empty: the class has none
};

// "HKEY_LOCAL_MACHINE\Software\Classes" or "HKEY_CURRENT_USER\Software\Classes", for messages.
const char* RegistryScopeName(RegistryScope scope);

// Writes CLSID\{clsid} (description, server key, ThreadingModel, ProgID) and the ProgID key
// with its CLSID, under the machine's classes when this process may write there, else under
// the user's; `scope` tells which. Entries of the class from an earlier registration are
// replaced; a machine-wide one also drops the user's copy, which would hide it. The first
// failure is returned (a Win32 error as HRESULT).
HRESULT WriteClassRegistration(const ClassRegistration& registration, RegistryScope& scope);

// Removes CLSID\{clsid} and, when it names this class (or no class), the ProgID key, in both
// places. S_OK also when there was nothing to remove.
HRESULT RemoveClassRegistration(const CLSID& clsid, const std::string& progId);

// Lets COM carry the dispatch interface `iid` between processes without a type library (a
// client may ask the object for it by that IID): Interface\{iid} named `name`, with the
// automation marshaler as proxy/stub. Same places, same answers as the class entries.
HRESULT WriteDispatchInterfaceRegistration(const IID& iid, const std::string& name,
                                           RegistryScope& scope);
HRESULT RemoveDispatchInterfaceRegistration(const IID& iid);

} // namespace vortan::com

#endif
