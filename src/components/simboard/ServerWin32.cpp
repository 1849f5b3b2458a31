// What makes the plug-in a Windows in-process server besides DllGetClassObject: unloading
// and registration. vortan-simboard.def exports these.

#include <string>

#include "components/simboard/ModuleLock.h"
#include "components/simboard/ServerRegistration.h"
#include "vortan/WinTypes.h"

namespace {

// The full path of this DLL, as the registry must name it.
std::string ThisDllPath() {
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCSTR>(&ThisDllPath), &module))
        return {};
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameA(module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

} // namespace

STDAPI DllCanUnloadNow() {
    return vortan::simboard::g_moduleLocks == 0 ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer() {
    try {
        const std::string dll = ThisDllPath();
        if (dll.empty())
            return HRESULT_FROM_WIN32(GetLastError());
        std::string where;
        return vortan::simboard::RegisterServer(dll, where);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

STDAPI DllUnregisterServer() {
    try {
        return vortan::simboard::UnregisterServer();
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}
