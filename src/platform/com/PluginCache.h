#pragma once

// The component plug-ins loaded into this process, one load per file. A plug-in stays loaded
// until the process ends: its objects may be alive anywhere, and unloading code under a live
// object would crash at its next call.

#include <filesystem>
#include <map>
#include <mutex>
#include <string>

#include "vortan/com/Guid.h"
#include "vortan/com/HResult.h"

namespace vortan::com {

class PluginCache final {
public:
    // Process-wide, as the loaded libraries are.
    static PluginCache& Instance();

    PluginCache(const PluginCache&) = delete;
    PluginCache& operator=(const PluginCache&) = delete;

    // Loads `plugin` on first use and asks its DllGetClassObject for the class object.
    // No such file: CO_E_DLLNOTFOUND. The loader refuses it: CO_E_ERRORINDLL. It exports no
    // DllGetClassObject: HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND). A library that failed is
    // not kept, so a fixed file loads on the next attempt.
    HRESULT GetClassObject(const std::filesystem::path& plugin, REFCLSID clsid, REFIID iid,
                           void** object);

    // The loader's message of the last failed load, for diagnostics.
    std::string LastLoadError() const;

private:
    PluginCache() = default;
    ~PluginCache() = default; // deliberately keeps every library loaded

    using EntryPoint = HRESULT(REFCLSID, REFIID, void**);
    HRESULT Load(const std::filesystem::path& plugin, EntryPoint*& entry);

    mutable std::mutex m_mutex;
    std::map<std::string, EntryPoint*> m_loaded; // canonical path -> DllGetClassObject
    std::string m_lastError;
};

} // namespace vortan::com
